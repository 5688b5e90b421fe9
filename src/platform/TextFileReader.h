#pragma once

#include <cstdio>
#include <string>
#include <vector>

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
    bool SkipWhiteSpace();

    std::FILE* m_pFile = nullptr;
    std::vector<char> m_buffer;
    size_t m_nPos = 0;
    size_t m_nEnd = 0;
    bool m_bHeldCarriageReturn = false;
    bool m_bEndOfFile = false;
    int m_nOpenError = 0;
};
