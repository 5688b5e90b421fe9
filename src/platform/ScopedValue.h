#pragma once

#include <utility>

// Gives a variable a value for the length of a scope and puts the old value
// back on every way out of it, early returns and exceptions included.
template <class T> class CScopedValue
{
public:
    CScopedValue(T& variable, T value) : m_variable(variable), m_old(std::exchange(variable, value))
    {
    }
    ~CScopedValue() { m_variable = m_old; }
    CScopedValue(const CScopedValue&) = delete;
    CScopedValue& operator=(const CScopedValue&) = delete;

private:
    T& m_variable;
    T m_old;
};
