#pragma once

#include <functional>

// Releases large results on a thread of its own: a dry run's result of a
// big script is hundreds of thousands of small blocks, and freeing them on
// the window's thread would cost a frame. What is handed over is released in
// order; once the program is ending, on the calling thread instead.
namespace BackgroundDisposal
{
void Release(std::function<void()> release);

// The deleter for a shared_ptr whose last owner may be the window's thread.
template <typename T> void Delete(T* pObject)
{
    Release([pObject] { delete pObject; });
}
} // namespace BackgroundDisposal
