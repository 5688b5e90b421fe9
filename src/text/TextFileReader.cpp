#include "TextFileReader.h"

#include "RegularFile.h"
#include "Utf8Detector.h"
#include "WhiteSpace.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace
{
// Reads go through a buffer of this size, or of the file's size where that is
// smaller: a library of thousands of small help files keeps them all open.
constexpr size_t kBufferSize = 64 * 1024;
constexpr size_t kSmallestBuffer = 256;

} // namespace

CTextFileReader::~CTextFileReader()
{
    Close();
}

bool CTextFileReader::Open(const std::string& path)
{
    Close();
    m_nOpenError = 0;
    // A FIFO named as a help file must not block the open.
    m_pFile = CRegularFile::OpenStream(path);
    if (m_pFile == nullptr)
    {
        m_nOpenError = errno;
        return false;
    }
    // The reads are large; stdio's own buffer would only double them.
    std::setvbuf(m_pFile, nullptr, _IONBF, 0);
    std::error_code error;
    const auto nSize = std::filesystem::file_size(std::filesystem::path(path), error);
    m_buffer.resize(error
                        ? kBufferSize
                        : std::clamp(static_cast<size_t>(nSize) + 1, kSmallestBuffer, kBufferSize));
    m_buffer.shrink_to_fit();
    Rewind();
    return true;
}

bool CTextFileReader::Close()
{
    if (m_pFile == nullptr)
        return true;
    const bool bClosed = std::fclose(m_pFile) == 0;
    m_pFile = nullptr;
    m_nPos = m_nEnd = 0;
    std::vector<char>().swap(m_buffer);
    return bClosed;
}

void CTextFileReader::Rewind()
{
    if (m_pFile == nullptr)
        return;
    std::rewind(m_pFile);
    m_nPos = m_nEnd = 0;
    m_bHeldCarriageReturn = false;
    m_bEndOfFile = false;
}

// Refills the buffer when it is used up and translates CR LF to LF in place.
// A carriage return at the very end of a read is held back until the next
// read shows whether a line feed follows it.
bool CTextFileReader::Fill()
{
    if (m_nPos < m_nEnd)
        return true;
    if (m_pFile == nullptr)
        return false;
    for (;;)
    {
        m_nPos = m_nEnd = 0;
        size_t nStart = 0;
        if (m_bHeldCarriageReturn)
        {
            m_buffer[0] = '\r';
            nStart = 1;
            m_bHeldCarriageReturn = false;
        }
        const size_t nRead = m_bEndOfFile ? 0
                                          : std::fread(m_buffer.data() + nStart, 1,
                                                       m_buffer.size() - nStart, m_pFile);
        if (nRead == 0)
        {
            m_bEndOfFile = true;
            m_nEnd = nStart;
            return m_nEnd > 0;
        }

        char* pIn = m_buffer.data();
        char* const pEnd = pIn + nStart + nRead;
        char* pOut = pIn;
        for (;;)
        {
            char* pCr = static_cast<char*>(std::memchr(pIn, '\r', static_cast<size_t>(pEnd - pIn)));
            char* const pStop = pCr != nullptr ? pCr : pEnd;
            if (pOut != pIn)
                std::memmove(pOut, pIn, static_cast<size_t>(pStop - pIn));
            pOut += pStop - pIn;
            if (pCr == nullptr)
                break;
            if (pCr + 1 == pEnd)
            {
                m_bHeldCarriageReturn = true;
                break;
            }
            if (pCr[1] != '\n')
                *pOut++ = '\r';
            pIn = pCr + 1;
        }
        m_nEnd = static_cast<size_t>(pOut - m_buffer.data());
        if (m_pUtf8Detector != nullptr)
            m_pUtf8Detector->Feed(std::string_view(m_buffer.data(), m_nEnd));
        if (m_nEnd > 0)
            return true;
    }
}

// Pieces begin at each line start and every nMax characters after it within a
// longer line, so a c found in the buffer begins a piece only where its
// distance from the last line feed before it is a multiple of nMax.
size_t CTextFileReader::SkipPiecesNotStartingWith(char c, size_t nMax)
{
    const char* const pBuffer = m_buffer.data();
    const size_t nStart = m_nPos;
    size_t nLineStart = m_nPos; // pieces begin here and every nMax after, up to a line feed
    size_t nScanned = m_nPos;   // no line feed lies between nLineStart and here
    size_t nFrom = m_nPos;
    while (nFrom < m_nEnd)
    {
        const void* pFound = std::memchr(pBuffer + nFrom, c, m_nEnd - nFrom);
        if (pFound == nullptr)
            break;
        const auto nAt = static_cast<size_t>(static_cast<const char*>(pFound) - pBuffer);
        for (size_t n = nAt; n > nScanned; --n)
        {
            if (pBuffer[n - 1] == '\n')
            {
                nLineStart = n;
                break;
            }
        }
        nScanned = nAt;
        if ((nAt - nLineStart) % nMax == 0)
        {
            m_nPos = nAt;
            return nAt - nStart;
        }
        nFrom = nAt + 1;
    }
    // No piece left in the buffer begins with c: pass over its whole lines.
    for (size_t n = m_nEnd; n > m_nPos; --n)
    {
        if (pBuffer[n - 1] == '\n')
        {
            m_nPos = n;
            break;
        }
    }
    return m_nPos - nStart;
}

bool CTextFileReader::ReadPiece(std::string& piece, size_t nMax)
{
    piece.clear();
    while (piece.size() < nMax && Fill())
    {
        const char* pStart = m_buffer.data() + m_nPos;
        const size_t nWant = std::min(m_nEnd - m_nPos, nMax - piece.size());
        const char* pLineFeed = static_cast<const char*>(std::memchr(pStart, '\n', nWant));
        if (pLineFeed != nullptr)
        {
            const size_t nTake = static_cast<size_t>(pLineFeed - pStart) + 1;
            piece.append(pStart, nTake);
            m_nPos += nTake;
            return true;
        }
        piece.append(pStart, nWant);
        m_nPos += nWant;
    }
    return !piece.empty();
}

bool CTextFileReader::ReadPiece(std::string_view& piece, std::string& storage, size_t nMax)
{
    if (Fill())
    {
        piece = BufferedPiece(nMax);
        if (!piece.empty())
            return true;
    }
    // The piece runs past what the buffer holds: put it together.
    const bool bRead = ReadPiece(storage, nMax);
    piece = storage;
    return bRead;
}

bool CTextFileReader::ReadLine(std::string& line, size_t nMax)
{
    line.clear();
    for (;;)
    {
        if (!Fill())
            return !line.empty();
        if (line.size() == nMax)
        {
            if (m_buffer[m_nPos] == '\n')
                ++m_nPos;
            return true;
        }
        const char* pStart = m_buffer.data() + m_nPos;
        const size_t nWant = std::min(m_nEnd - m_nPos, nMax - line.size());
        const char* pLineFeed = static_cast<const char*>(std::memchr(pStart, '\n', nWant));
        if (pLineFeed != nullptr)
        {
            const size_t nTake = static_cast<size_t>(pLineFeed - pStart);
            line.append(pStart, nTake);
            m_nPos += nTake + 1;
            return true;
        }
        line.append(pStart, nWant);
        m_nPos += nWant;
    }
}

bool CTextFileReader::SkipWhiteSpace()
{
    while (Fill())
    {
        if (!IsWhiteSpace(m_buffer[m_nPos]))
            return true;
        ++m_nPos;
    }
    return false;
}

bool CTextFileReader::ReadToken(std::string& token)
{
    token.clear();
    if (!SkipWhiteSpace())
        return false;
    while (Fill() && !IsWhiteSpace(m_buffer[m_nPos]))
        token.push_back(m_buffer[m_nPos++]);
    SkipWhiteSpace();
    return true;
}
