// The text file reader: the first byte chooses the piece size, the rest is
// the file. Pieces, views and the whole-file walks, skipping or not, must
// agree with each other and with the file read as Windows text mode reads it.
#include "FuzzSupport.h"
#include "text/TextFileReader.h"

#include <vector>

namespace
{
// CR LF becomes LF; every other byte stays.
std::string TextMode(std::string_view bytes)
{
    std::string out;
    for (size_t i = 0; i < bytes.size(); ++i)
    {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            continue;
        out.push_back(bytes[i]);
    }
    return out;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    if (nSize == 0)
        return 0;
    const size_t nMax = 1 + pData[0] % 64;
    const std::string_view contents = BytesOf(pData + 1, nSize - 1);
    const std::string path = WriteScratchFile("text.txt", contents);
    const std::string expected = TextMode(contents);

    std::vector<std::string> pieces;
    CTextFileReader reader;
    Require(reader.Open(path), "the file opens");
    std::string piece;
    std::string joined;
    while (reader.ReadPiece(piece, nMax))
    {
        Require(!piece.empty() && piece.size() <= nMax, "a piece has 1 to nMax characters");
        Require(piece.find('\n') == std::string::npos || piece.find('\n') == piece.size() - 1,
                "a line feed ends its piece");
        pieces.push_back(piece);
        joined += piece;
    }
    Require(joined == expected, "the pieces make up the file");

    reader.Rewind();
    std::string storage;
    std::string_view view;
    size_t i = 0;
    while (reader.ReadPiece(view, storage, nMax))
        Require(i < pieces.size() && view == pieces[i++], "a view is the same piece");
    Require(i == pieces.size(), "as many views as pieces");

    reader.Rewind();
    i = 0;
    reader.ForEachPiece(nMax, storage,
                        [&](std::string_view walked)
                        {
                            Require(i < pieces.size() && walked == pieces[i++],
                                    "the walk gives the same pieces");
                            return true;
                        });
    Require(i == pieces.size(), "the walk reaches the end");

    // A walk that passes over the pieces not beginning with c passes over
    // whole pieces only, and sees every piece that begins with c.
    const char c = expected.empty() ? '#' : expected[expected.size() / 2];
    reader.Rewind();
    i = 0;
    reader.ForEachPiece(nMax, storage,
                        [&](std::string_view walked)
                        {
                            Require(i < pieces.size() && walked == pieces[i++],
                                    "the skipping walk gives the same pieces");
                            size_t nSkipped = reader.SkipPiecesNotStartingWith(c, nMax);
                            while (nSkipped > 0)
                            {
                                Require(i < pieces.size() && pieces[i].size() <= nSkipped &&
                                            pieces[i][0] != c,
                                        "only whole pieces not beginning with c are passed over");
                                nSkipped -= pieces[i++].size();
                            }
                            return true;
                        });
    Require(i == pieces.size(), "the skipping walk reaches the end");

    reader.Rewind();
    std::string line;
    while (reader.ReadLine(line, nMax))
        Require(line.size() <= nMax, "a line read holds at most nMax characters");
    reader.Rewind();
    std::string token;
    while (reader.ReadToken(token))
        Require(!token.empty(), "a token is never empty");
    return 0;
}
