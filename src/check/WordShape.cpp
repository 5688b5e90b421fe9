#include "WordShape.h"

#include <algorithm>
#include <vector>

size_t WordShape::EditDistance(std::string_view a, std::string_view b, size_t nLimit)
{
    if ((a.size() > b.size() ? a.size() - b.size() : b.size() - a.size()) > nLimit)
        return nLimit + 1;
    thread_local std::vector<size_t> row;
    row.resize(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i)
    {
        size_t nDiagonal = row[0];
        row[0] = i;
        size_t nBest = row[0];
        for (size_t j = 1; j <= b.size(); ++j)
        {
            const size_t nAbove = row[j];
            row[j] =
                std::min({row[j] + 1, row[j - 1] + 1, nDiagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            nDiagonal = nAbove;
            nBest = std::min(nBest, row[j]);
        }
        if (nBest > nLimit)
            return nLimit + 1;
    }
    return row[b.size()];
}
