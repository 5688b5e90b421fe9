#pragma once

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

class CUtf8Detector;

// Reads a file the way a Windows program reads it in text mode: a carriage
// return directly before a line feed is dropped, every other byte is passed on
// unchanged (NUL and 0xFF included). The same file therefore reads the same on
// every platform.
class CTextFileReader
{
public:
    CTextFileReader() = default;
    ~CTextFileReader();
    CTextFileReader(const CTextFileReader&) = delete;
    CTextFileReader& operator=(const CTextFileReader&) = delete;

    // False for a missing or unreadable file, a directory, or a path holding a
    // NUL; OpenError() then tells why (an errno value, 0 when not a regular file).
    bool Open(const std::string& path);
    int OpenError() const { return m_nOpenError; }
    bool IsOpen() const { return m_pFile != nullptr; }
    // False when the file could not be closed cleanly.
    bool Close();
    void Rewind();

    // Like fgets with a buffer of nMax + 1: up to nMax characters, ending after a
    // line feed, which is kept. False at the end of the file.
    bool ReadPiece(std::string& piece, size_t nMax);
    // The same piece, without a copy where it lies whole in the read buffer;
    // otherwise it is put together in storage. The view holds until the next read.
    bool ReadPiece(std::string_view& piece, std::string& storage, size_t nMax);
    // Every piece ReadPiece would give, in turn, to visit(piece) until it
    // returns false or the file ends. The pieces lying whole in the buffer are
    // found in one loop, without a call for each: a help library of a hundred
    // thousand records is read line by line at start-up.
    // visit may call SkipPiecesNotStartingWith to pass over pieces it need not see.
    template <class Visit> void ForEachPiece(size_t nMax, std::string& storage, Visit visit);
    // Passes over the pieces that lie whole in the read buffer and do not begin
    // with c, as if they had been read, up to the first piece that begins with
    // c or the last line feed in the buffer. Returns the characters passed
    // over. A help file's record body is skipped this way with one search for
    // c instead of a step per line.
    size_t SkipPiecesNotStartingWith(char c, size_t nMax);

    // Every byte read from now on, as the reads give it, is also fed to the
    // detector (none: nullptr). Once per read rather than once per line.
    void WatchBytes(CUtf8Detector* pDetector) { m_pUtf8Detector = pDetector; }

    // Like istream::getline with a buffer of nMax + 1: up to nMax characters
    // before the line feed; the line feed is consumed when it comes next and is
    // not stored. A longer line leaves its remainder for the next call. False
    // when nothing at all could be read (end of file).
    bool ReadLine(std::string& line, size_t nMax);

    // Like fscanf("%s "): the next run of non-white-space characters. False at
    // the end of the file.
    bool ReadToken(std::string& token);

private:
    bool Fill();
    // The next piece if it lies whole in the buffer (then consumed), else empty.
    std::string_view BufferedPiece(size_t nMax)
    {
        const char* pStart = m_buffer.data() + m_nPos;
        const size_t nAvailable = m_nEnd - m_nPos;
        const size_t nWant = nAvailable < nMax ? nAvailable : nMax;
        const void* pLineFeed = std::memchr(pStart, '\n', nWant);
        if (pLineFeed == nullptr && nAvailable < nMax)
            return {};
        const size_t nTake =
            pLineFeed != nullptr
                ? static_cast<size_t>(static_cast<const char*>(pLineFeed) - pStart) + 1
                : nMax;
        m_nPos += nTake;
        return std::string_view(pStart, nTake);
    }
    bool SkipWhiteSpace();

    std::FILE* m_pFile = nullptr;
    std::vector<char> m_buffer;
    size_t m_nPos = 0;
    size_t m_nEnd = 0;
    bool m_bHeldCarriageReturn = false;
    bool m_bEndOfFile = false;
    int m_nOpenError = 0;
    CUtf8Detector* m_pUtf8Detector = nullptr;
};

template <class Visit>
void CTextFileReader::ForEachPiece(size_t nMax, std::string& storage, Visit visit)
{
    std::string_view piece;
    while (Fill())
    {
        while (m_nPos < m_nEnd)
        {
            piece = BufferedPiece(nMax);
            if (piece.empty())
                break;
            if (!visit(piece))
                return;
        }
        if (m_nPos < m_nEnd)
        {
            // The piece runs past what the buffer holds: put it together.
            if (!ReadPiece(storage, nMax))
                return;
            if (!visit(std::string_view(storage)))
                return;
        }
    }
}
