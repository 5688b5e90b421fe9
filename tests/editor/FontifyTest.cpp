#include "EditorFixture.h"
#include "text/WhiteSpace.h"

#include <QTest>
#include <algorithm>
#include <cctype>
#include <random>

namespace
{
class FontifyTest : public EditorFixture
{
protected:
    void Recolour(const std::string& text)
    {
        m_edit.SetWindowText(text);
        m_edit.FontifyAll();
    }
};

// The word rules as written, apart from the walk the pane colours with: the
// word around a column runs from after the last space, "{" or "[" before it
// to the first space at or after it.
std::pair<long, long> WordAround(const std::string& line, long nLength, long nColumn)
{
    long p = nColumn - 1;
    if (p >= nLength)
        p = nLength - 1;
    while (p >= 0 && line[static_cast<size_t>(p)] != ' ' && line[static_cast<size_t>(p)] != '{' &&
           line[static_cast<size_t>(p)] != '[')
        --p;
    const long nStart = p + 1;
    long nEnd = nLength;
    if (nColumn < nLength)
    {
        const size_t nSpace = line.substr(0, static_cast<size_t>(nLength))
                                  .find(' ', static_cast<size_t>(std::max(0L, nColumn)));
        if (nSpace != std::string::npos)
            nEnd = static_cast<long>(nSpace);
    }
    return {nStart, std::max(nStart, nEnd)};
}

// Everything left of the delimiter before the word, trimmed; "command" when empty.
std::string ContextBefore(const std::string& line, long nStart)
{
    const std::string_view context =
        nStart - 1 > 0 ? Trim(std::string_view(line).substr(0, static_cast<size_t>(nStart - 1)))
                       : std::string_view();
    return context.empty() ? std::string("command") : std::string(context);
}

void ColourWith(CScriptEdit& edit, long nStart, long nEnd, EWordColour colour, bool bWholeWords)
{
    edit.SetSel(nStart, nEnd);
    if (bWholeWords)
        edit.SetWordCharFormat(edit.FormatOf(colour));
    else
        edit.SetSelectionCharFormat(edit.FormatOf(colour));
}

// The word-by-word pass as written: every delimiter of the line visited, the
// word before it classified and coloured in recolour mode, the lists fed.
void RecolourLineWordByWord(CScriptEdit& edit, long nLine, CCorvaleDoc* pLists = nullptr)
{
    const long nLineStart = edit.LineIndex(nLine);
    const std::string line = edit.GetLine(nLine);
    const std::string_view trimmed = TrimLeft(line);
    if (trimmed.empty())
        return;
    const size_t nBreak = line.find_first_of(std::string("\n\xFF", 2));
    const long nExtent = nBreak == std::string::npos ? static_cast<long>(line.size()) + 1
                                                     : static_cast<long>(nBreak) + 1;
    const long nEnd = std::min(nLineStart + nExtent, edit.GetTextLength());
    ColourWith(edit, nLineStart, nEnd,
               trimmed[0] == '#' ? EWordColour::Comment : EWordColour::Plain, false);
    if (trimmed[0] == '#')
        return;
    long nLength = static_cast<long>(line.size());
    if (nLength >= 2 && line.compare(static_cast<size_t>(nLength - 2), 2, "\r\n") == 0)
        nLength -= 2;
    for (long j = 0; j < nExtent; ++j)
    {
        const char c = j < static_cast<long>(line.size()) ? line[static_cast<size_t>(j)] : '\0';
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '\0' && c != '#')
            continue;
        if (c == '#')
        {
            ColourWith(edit, nLineStart + j, nLineStart + nLength, EWordColour::Comment, false);
            break;
        }
        const auto [nStart, nWordEnd] = WordAround(line, nLength, j);
        const std::string word =
            line.substr(static_cast<size_t>(nStart), static_cast<size_t>(nWordEnd - nStart));
        if (std::none_of(word.begin(), word.end(), [](char ch) { return std::isalpha(ch) != 0; }))
            continue;
        const std::string bare(Trim(word));
        const std::string context = ContextBefore(line, nStart);
        if (pLists != nullptr && context == "source")
            pLists->AddSource(bare);
        else if (pLists != nullptr && context == "set")
            pLists->AddVariable(bare);
        const long nFrom = nLineStart + nStart;
        const long nTo = nLineStart + nWordEnd;
        if (edit.IsKeyword(bare))
            ColourWith(edit, nFrom, nTo, EWordColour::Keyword, false);
        else if (context == "command" && edit.Library().Find(bare, "command") >= 0)
            ColourWith(edit, nFrom, nTo, EWordColour::Command, true);
        else if (edit.Library().Find(bare, context) >= 0)
            ColourWith(edit, nFrom, nTo, EWordColour::SubCommand, true);
        else
            ColourWith(edit, nFrom, nTo,
                       context == "source" ? EWordColour::SourcedName : EWordColour::Plain, false);
        if (c == '\n')
            break;
    }
}

// A second pane wired as the fixture's, whose text is coloured by the
// word-by-word pass as written: what the pane under test must match.
struct CReferencePane
{
    explicit CReferencePane(const std::string& helpDirectory)
    {
        edit.AttachTo(doc, summary, edit);
        edit.LoadHelpFiles(helpDirectory);
        edit.m_bHelpOn = 0;
    }

    // The whole-text pass: everything plain, then every line word by word,
    // filling the lists on the way.
    void RecolourAll(const std::string& text)
    {
        edit.SetWindowText(text);
        edit.SetSel(0, -1);
        edit.SetSelectionCharFormat(edit.FormatOf(EWordColour::Plain));
        for (long nLine = 0; nLine < edit.GetLineCount(); ++nLine)
            RecolourLineWordByWord(edit, nLine, &doc);
    }

    CTextControl summary;
    CCorvaleDoc doc;
    CScriptEdit edit;
};

// Every character of the two panes has the same format.
void ExpectSameFormats(const CScriptEdit& tested, const CScriptEdit& reference,
                       const std::string& when)
{
    ASSERT_EQ(tested.GetWindowText(), reference.GetWindowText()) << when;
    for (long nPos = 0; nPos < tested.GetTextLength(); ++nPos)
    {
        ASSERT_EQ(tested.GetCharFormatAt(nPos), reference.GetCharFormatAt(nPos))
            << when << ": at " << nPos << " on line " << tested.LineFromChar(nPos);
    }
}
} // namespace

TEST_F(FontifyTest, EachWordClassGetsItsFormat)
{
    Recolour("element Truss 1 2 3 -ndm\n"
             "source model.tcl\n"
             "  # indented comment\n"
             "puts $a ;# note\n"
             "if {$a} {puts $b}\n"
             "a#b\n"
             "Set SET sets 123 $1 -1.5e3 set\tx\n");
    EXPECT_EQ(ColourOf(0, 7), kGreen);
    EXPECT_EQ(ColourOf(8, 13), kBlue);
    EXPECT_EQ(ColourOf(13, 26), kBlack);
    EXPECT_EQ(EffectsAt(0), 0u);

    const long nSource = m_edit.LineIndex(1);
    EXPECT_EQ(ColourOf(nSource, nSource + 6), kPurple);
    EXPECT_EQ(EffectsAt(nSource + 7), CFE_ITALIC | CFE_UNDERLINE);
    EXPECT_EQ(ColourAt(nSource + 7), kBlack);
    EXPECT_EQ(EffectsAt(nSource + 6), 0u);

    // A comment line is grey in full, its leading blanks and line break included.
    const long nComment = m_edit.LineIndex(2);
    EXPECT_EQ(ColourOf(nComment, m_edit.LineIndex(3)), kGrey);

    const long nPuts = m_edit.LineIndex(3);
    EXPECT_EQ(ColourOf(nPuts, nPuts + 4), kPurple);
    EXPECT_EQ(ColourOf(nPuts + 4, nPuts + 9), kBlack);
    EXPECT_EQ(ColourOf(nPuts + 9, nPuts + 15), kGrey);
    EXPECT_EQ(ColourAt(nPuts + 15), kBlack); // the line break is not part of the comment

    const long nIf = m_edit.LineIndex(4);
    EXPECT_EQ(ColourOf(nIf, nIf + 2), kPurple);
    EXPECT_EQ(ColourOf(nIf + 4, nIf + 7), kBlack);   // "$a}" is a word of its own
    EXPECT_EQ(ColourOf(nIf + 9, nIf + 13), kPurple); // "puts" after the brace
    EXPECT_EQ(ColourOf(nIf + 14, nIf + 17), kBlack);

    const long nHash = m_edit.LineIndex(5);
    EXPECT_EQ(ColourAt(nHash), kBlack);
    EXPECT_EQ(ColourOf(nHash + 1, nHash + 3), kGrey);

    // Case counts, and a tab joins two words into one.
    const long nMixed = m_edit.LineIndex(6);
    EXPECT_EQ(ColourOf(nMixed, m_edit.LineIndex(7)), kBlack);
}

TEST_F(FontifyTest, TheWholeTextPassFillsTheListsOnlyFromSetAndSourceLines)
{
    m_doc.AddVariable("stale");
    Recolour("set x 5\n"
             "  set   count 0\n"
             "source model.tcl\n"
             "source $dir/a.tcl\n"
             "if {1} {set z 5}\n"
             "set\tw 5\n"
             "# set y 1\n"
             "set xmax 2\n"
             "set X 3\n"
             "set Abc 1\n"
             "source my file.tcl\n");
    EXPECT_EQ(Entries(m_doc.Variables()), (QStringList{"Abc", "count", "x", "xmax"}));
    EXPECT_EQ(Entries(m_doc.Sources()), (QStringList{"$dir/a.tcl", "model.tcl", "my"}));

    // After xmax, x is not added; after x, X is not added either.
    Recolour("set xmax 1\nset x 2\n");
    EXPECT_EQ(Entries(m_doc.Variables()), (QStringList{"xmax"}));
}

TEST_F(FontifyTest, TheWholeTextPassRestoresWhatItChanges)
{
    Recolour(std::string("model 2\nnode 1 0 0\n"));
    m_edit.SetSel(3, 9);
    m_edit.m_bHelpOn = 1;
    m_summary.SetWindowText("help text");
    m_edit.FontifyAll();
    long nStart = 0;
    long nEnd = 0;
    m_edit.GetSel(nStart, nEnd);
    EXPECT_EQ(nStart, 3);
    EXPECT_EQ(nEnd, 9);
    EXPECT_EQ(m_summary.GetWindowText(), " ");
    EXPECT_EQ(m_edit.m_bHelpOn, 1);
    EXPECT_EQ(m_edit.m_bFillLists, 0);
    EXPECT_FALSE(m_doc.m_bChanged);

    // Recolouring a line shows no help and leaves the help switch alone.
    m_summary.SetWindowText("kept");
    m_edit.FontifyLine(0);
    EXPECT_EQ(m_summary.GetWindowText(), "kept");
    EXPECT_EQ(m_edit.m_bHelpOn, 1);
    m_edit.SetWindowText("   \n");
    m_edit.FontifyLine(0);
    EXPECT_EQ(m_edit.m_bHelpOn, 1);
}

TEST_F(FontifyTest, RecolouringAtOnceGivesWhatTheWordByWordPassGives)
{
    std::mt19937 random(3);
    const std::vector<std::string> words = {"set",       "x",
                                            "element",   "Truss",
                                            "lin",       "model",
                                            "-dims",     "node",
                                            "source",    "a.tcl",
                                            "{",         "[",
                                            "}",         "#",
                                            ";#",        "puts",
                                            "$x",        "12",
                                            "\t",        "if",
                                            "{set",      "[expr",
                                            "a#b",       "\xFF",
                                            "\xE9t\xE9", std::string(1, '\0'),
                                            "\t\t\t",    "{\t",
                                            "x\ty",      "[\t["};
    std::string text;
    for (int nLine = 0; nLine < 300; ++nLine)
    {
        const int nWords = static_cast<int>(random() % 8);
        text += std::string(random() % 3, ' ');
        for (int w = 0; w < nWords; ++w)
            text += words[random() % words.size()] + std::string(1 + random() % 2, ' ');
        if (random() % 5 != 0)
            text += words[random() % words.size()];
        text += "\n";
    }
    m_edit.SetWindowText(text);
    m_edit.FontifyAll();
    CReferencePane reference(m_dir.Prefix());
    reference.RecolourAll(text);
    ExpectSameFormats(m_edit, reference.edit, "random lines");
    EXPECT_EQ(Entries(m_doc.Variables()), Entries(reference.doc.Variables()));
    EXPECT_EQ(Entries(m_doc.Sources()), Entries(reference.doc.Sources()));
}

// Lines made of delimiters, as tab-separated data or a file of NULs gives:
// colouring them at once gives what the word-by-word pass gives, on the
// shapes that once took time in the square of their length.
TEST_F(FontifyTest, LinesFullOfDelimitersColourAsTheWordByWordPassDoes)
{
    std::string text;
    for (int i = 0; i < 300; ++i)
        text += "node\t" + std::to_string(i) + "\t";
    text += "\n";
    text += std::string(2000, '\0') + "set x\n";
    text += "set " + std::string(1500, '\t') + "count " + std::string(500, '\t') + "\n";
    for (int i = 0; i < 400; ++i)
        text += "{\t[";
    text += "element Truss\n";
    text += "source\t" + std::string(700, ' ') + "a.tcl\t\tb.tcl # tail\n";
    m_edit.SetWindowText(text);
    m_edit.FontifyAll();
    CReferencePane reference(m_dir.Prefix());
    reference.RecolourAll(text);
    ExpectSameFormats(m_edit, reference.edit, "lines of delimiters");
    EXPECT_EQ(Entries(m_doc.Variables()), Entries(reference.doc.Variables()));
    EXPECT_EQ(Entries(m_doc.Sources()), Entries(reference.doc.Sources()));
}

// A line's recolouring visits its words up to the first 0xFF byte (the old
// end-of-file test) and writes nothing outside the line, wherever the 0xFF
// stands: after "#", after a tab, inside a word, at the line's end. Delete
// and typing recolour such lines as the word-by-word pass does.
TEST_F(FontifyTest, ALineHoldingAByte0xFFIsRecolouredWithinItself)
{
    const std::vector<std::string> shapes = {"set x # note \xFF more text here\n",
                                             "set\tx \xFF y z element Truss\n",
                                             "elem\xFF"
                                             "ent Truss 1 2 # c\n",
                                             "node 1 2 model\xFF\n", "\xFF\t\xFF#\xFF set x\n"};
    std::string text;
    for (const std::string& shape : shapes)
        text += shape;
    text += "element Truss 1 2 3\n";

    m_edit.SetWindowText(text);
    m_edit.FontifyAll();
    CReferencePane reference(m_dir.Prefix());
    reference.RecolourAll(text);
    ExpectSameFormats(m_edit, reference.edit, "after the whole-text pass");

    // Delete a character near the start of each line: the line is recoloured.
    m_edit.setFocus();
    for (long nLine = 0; nLine < static_cast<long>(shapes.size()); ++nLine)
    {
        const long nPos = m_edit.LineIndex(nLine) + 1;
        m_edit.SetSel(nPos, nPos);
        QTest::keyClick(&m_edit, Qt::Key_Delete);
        reference.edit.SetSel(nPos, nPos + 1);
        reference.edit.ReplaceSel("", true);
        RecolourLineWordByWord(reference.edit, nLine);
        ExpectSameFormats(m_edit, reference.edit, "after Delete");
    }

    // Typing at a line's end and inside it leaves the other lines as they were.
    const long nLast = m_edit.LineIndex(static_cast<long>(shapes.size()));
    const std::string lastLine = m_edit.GetLine(static_cast<long>(shapes.size()));
    const long nEnd = m_edit.LineIndex(3) + m_edit.LineLength(m_edit.LineIndex(3));
    m_edit.SetSel(nEnd, nEnd);
    QTest::keyClicks(&m_edit, QString::fromLatin1("x # \xFF"));
    m_edit.SetSel(m_edit.LineIndex(1) + 2, m_edit.LineIndex(1) + 2);
    QTest::keyClicks(&m_edit, QString::fromLatin1("\xFFq"));
    EXPECT_EQ(m_edit.GetLine(static_cast<long>(shapes.size())), lastLine);
    EXPECT_EQ(ColourAt(m_edit.LineIndex(static_cast<long>(shapes.size()))), kGreen);
    EXPECT_GT(m_edit.LineIndex(static_cast<long>(shapes.size())), nLast);
}

TEST_F(FontifyTest, AChangedFaceReachesEveryFormat)
{
    m_edit.SetFontFace("DejaVu Sans Mono with a name far longer than a face can be");
    EXPECT_EQ(m_edit.m_charFormat.szFaceName, "DejaVu Sans Mono with a name fa");
    Recolour("set x 1\n");
    EXPECT_EQ(m_edit.GetCharFormatAt(0).szFaceName, "DejaVu Sans Mono with a name fa");
    EXPECT_EQ(m_edit.GetCharFormatAt(0).yHeight, 210);
    EXPECT_EQ(m_summary.GetDefaultCharFormat().yHeight, 157);
    EXPECT_EQ(m_summary.GetDefaultCharFormat().crTextColor, Rgb(100, 50, 50));
}

TEST_F(FontifyTest, WordsAndContextsFollowTheirBoundaries)
{
    EXPECT_EQ(m_edit.WordAtColumn("set x [expr {$a+1}]", 19, 8), "expr");
    EXPECT_EQ(m_edit.WordAtColumn("set x [expr {$a+1}]", 19, 11), "expr");
    EXPECT_EQ(m_edit.WordAtColumn("set x [expr {$a+1}]", 19, 14), "$a+1}]");
    EXPECT_EQ(m_edit.WordAtColumn("set", 3, 3), "set");
    EXPECT_EQ(m_edit.WordAtColumn("set", 3, 99), "set");
    EXPECT_EQ(m_edit.WordAtColumn(" ", 1, 0), "");
    EXPECT_TRUE(m_edit.IsKeyword("pow"));
    EXPECT_FALSE(m_edit.IsKeyword("Set"));

    // Lines and words of any length are coloured.
    const std::string longLine = "element Truss " + std::string(20000, 'x') + " node";
    Recolour(longLine);
    EXPECT_EQ(ColourOf(8, 13), kBlue);
    EXPECT_EQ(ColourAt(static_cast<long>(longLine.size()) - 1), kBlack);
}

TEST_F(FontifyTest, ProgressShowsRowsOfThirtyNineDots)
{
    std::string progress = "Formatting";
    for (long i = 0; i < 450; ++i)
        CScriptEdit::AdvanceProgress(progress, i);
    EXPECT_EQ(progress, "Formatting\n" + std::string(39, '.') + "\n" + std::string(39, '.') + "\n" +
                            std::string(9, '.'));
}
