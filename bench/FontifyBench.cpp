// Colouring a 2,000,000-character script with a 10,000-record library loaded,
// against Scintilla's own Tcl lexer on the same text.
#include "BenchFigures.h"
#include "GeneratedLibrary.h"
#include "GeneratedScript.h"
#include "ScintillaReplaceLoop.h"
#include "check/CommandKnowledge.h"
#include "check/ScriptChecker.h"
#include "editor/CorvaleDoc.h"
#include "editor/ScriptEdit.h"
#include "helplib/CommandLibrary.h"
#include "platform/ScriptedUserInteraction.h"

#include <QTemporaryDir>
#include <QTest>
#include <Qsci/qscilexertcl.h>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <fstream>

namespace
{
// The editing pane as the view sets it up, with its document.
struct CEditor
{
    CEditor()
    {
        edit.AttachTo(doc, summary, edit);
        edit.LoadHelpFiles(BenchLibrary().Directory());
        edit.resize(800, 600);
    }

    CScriptedUserInteraction ui;
    CTextControl summary;
    CCorvaleDoc doc;
    CScriptEdit edit;
};

void BM_FontifyAll(benchmark::State& state)
{
    CEditor editor;
    editor.edit.SetWindowText(BenchScript());
    for (auto _ : state)
        editor.edit.FontifyAll();
    state.counters["lines"] = static_cast<double>(editor.edit.GetLineCount());
}
BENCHMARK(BM_FontifyAll)->Unit(benchmark::kMillisecond)->Apply(RepeatedForFigure);

// The anchor: Scintilla's Tcl lexer colouring the whole of the same text.
void BM_LexerTclColouriseAll(benchmark::State& state)
{
    CTextControl control;
    QsciLexerTCL lexer;
    control.setLexer(&lexer);
    control.SetWindowText(BenchScript());
    for (auto _ : state)
        control.SendScintilla(QsciScintillaBase::SCI_COLOURISE, 0UL, -1L);
}
BENCHMARK(BM_LexerTclColouriseAll)->Unit(benchmark::kMillisecond)->Apply(RepeatedForFigure);

// The whole script check of the 2 MB script against the generated library,
// as the check's thread does it: what it knows of the library read once.
void BM_Check2Mb(benchmark::State& state)
{
    CCommandLibrary library;
    library.Load(BenchLibrary().Directory());
    CCommandKnowledge knowledge;
    knowledge.Build(library);
    CScriptChecker checker(knowledge);
    const std::string& script = BenchScript();
    size_t nFindings = 0;
    for (auto _ : state)
        nFindings = checker.Check(script, BenchLibrary().Directory()).size();
    state.counters["findings"] = static_cast<double>(nFindings);
}
BENCHMARK(BM_Check2Mb)->Unit(benchmark::kMillisecond)->Apply(RepeatedForFigure);

// Opening a script file: the file read, streamed into the pane, and the whole
// text coloured with the lists filled, as File Open does.
void BM_Open2Mb(benchmark::State& state)
{
    CEditor editor;
    QTemporaryDir folder;
    const std::string path = folder.path().toStdString() + "/model.tcl";
    std::ofstream(path, std::ios::binary) << BenchScript();
    for (auto _ : state)
    {
        if (!editor.doc.OnOpenDocument(path))
            state.SkipWithError("the script did not open");
    }
}
BENCHMARK(BM_Open2Mb)->Unit(benchmark::kMillisecond)->Apply(RepeatedForFigure);

// A character typed at the end of line 50,000, through the pane's key handling,
// until its word is coloured; then taken back with Backspace (not timed).
void BM_KeystrokeEndOfLine(benchmark::State& state)
{
    CEditor editor;
    editor.edit.SetWindowText(BenchScript());
    editor.edit.FontifyAll();
    const long nLine = 50000;
    std::vector<double> samples;
    for (auto _ : state)
    {
        const long nEnd =
            editor.edit.LineIndex(nLine) + editor.edit.LineLength(editor.edit.LineIndex(nLine));
        editor.edit.SetSel(nEnd, nEnd);
        const auto start = std::chrono::steady_clock::now();
        QTest::keyClick(&editor.edit, Qt::Key_T);
        const auto end = std::chrono::steady_clock::now();
        const double seconds = std::chrono::duration<double>(end - start).count();
        state.SetIterationTime(seconds);
        samples.push_back(seconds);
        QTest::keyClick(&editor.edit, Qt::Key_Backspace);
    }
    std::nth_element(samples.begin(), samples.begin() + static_cast<long>(samples.size() / 2),
                     samples.end());
    ReportFigure("keystroke_end_of_line", samples[samples.size() / 2] * 1e6, "us");
}
BENCHMARK(BM_KeystrokeEndOfLine)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(400);
// Replace All of the 50,033 occurrences of " 1" in the script.
void BM_ReplaceAll(benchmark::State& state)
{
    CEditor editor;
    for (auto _ : state)
    {
        state.PauseTiming();
        editor.edit.SetWindowText(BenchScript());
        state.ResumeTiming();
        editor.edit.ReplaceAll(" 1", " 9", 0);
    }
}
BENCHMARK(BM_ReplaceAll)->Unit(benchmark::kMillisecond)->Apply(RepeatedForFigure);

// The anchor: Scintilla's own search and replace, in a plain loop over the same text.
void BM_ScintillaReplaceLoop(benchmark::State& state)
{
    QsciScintilla control;
    control.setUtf8(false);
    control.SendScintilla(QsciScintillaBase::SCI_SETEOLMODE, QsciScintillaBase::SC_EOL_CRLF);
    // Scintilla's own work only: no modification notices, so QScintilla does not
    // count characters for its accessibility events on every change.
    control.SendScintilla(QsciScintillaBase::SCI_SETMODEVENTMASK, 0UL);
    const QString text =
        QString::fromLatin1(BenchScript().data(), static_cast<qsizetype>(BenchScript().size()));
    for (auto _ : state)
    {
        state.PauseTiming();
        control.setText(text);
        state.ResumeTiming();
        ScintillaReplaceLoop(control, " 1", " 9");
    }
}
BENCHMARK(BM_ScintillaReplaceLoop)->Unit(benchmark::kMillisecond)->Apply(RepeatedForFigure);

// Recolouring one long line of state.range(0) characters made of a repeated
// piece: the time should grow with the length, not its square.
void FontifyLongLine(benchmark::State& state, const std::string& piece)
{
    CEditor editor;
    std::string line;
    while (line.size() < static_cast<size_t>(state.range(0)))
        line += piece;
    line.resize(static_cast<size_t>(state.range(0)));
    editor.edit.SetWindowText(line);
    for (auto _ : state)
        editor.edit.FontifyLine(0);
}

void BM_FontifyLongLine(benchmark::State& state)
{
    FontifyLongLine(state, "node 1 ");
}
BENCHMARK(BM_FontifyLongLine)
    ->Arg(80000)
    ->Arg(320000)
    ->Unit(benchmark::kMillisecond)
    ->Apply(RepeatedForFigure);

// A file of NULs: every character is a delimiter inside one word.
void BM_FontifyNulLine(benchmark::State& state)
{
    FontifyLongLine(state, std::string(1, '\0'));
}
BENCHMARK(BM_FontifyNulLine)
    ->Arg(80000)
    ->Arg(320000)
    ->Unit(benchmark::kMillisecond)
    ->Apply(RepeatedForFigure);

// Tab-separated values, as exported data pasted into a script gives.
void BM_FontifyTabSeparatedLine(benchmark::State& state)
{
    FontifyLongLine(state, "node\t1.25\t");
}
BENCHMARK(BM_FontifyTabSeparatedLine)
    ->Arg(80000)
    ->Arg(320000)
    ->Unit(benchmark::kMillisecond)
    ->Apply(RepeatedForFigure);

// To a variable set only on the script's last line, from the top: every line
// is read on the way.
void BM_GoToKeywordLine(benchmark::State& state)
{
    CEditor editor;
    // Within the 2,000,000 characters the pane holds.
    std::string text = BenchScript().substr(0, kBenchScriptChars - 32);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n'))
        text.pop_back();
    editor.edit.SetWindowText(text + "\r\nset lastOfAll 1");
    for (auto _ : state)
    {
        editor.edit.SetSel(0, 0);
        editor.edit.GoToKeywordLine("lastOfAll", "set");
    }
    state.counters["line"] = static_cast<double>(editor.edit.LineFromChar(-1) + 1);
}
BENCHMARK(BM_GoToKeywordLine)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv)
{
    return RunBenchmarksAndPrintFigures(
        argc, argv,
        {{"fontify_all_vs_lextcl", "BM_FontifyAll", "BM_LexerTclColouriseAll"},
         {"check_2mb_vs_lextcl", "BM_Check2Mb", "BM_LexerTclColouriseAll"},
         {"open_2mb_vs_lextcl", "BM_Open2Mb", "BM_LexerTclColouriseAll"},
         {"replace_all_vs_scintilla", "BM_ReplaceAll", "BM_ScintillaReplaceLoop"},
         {"long_line_320k_vs_80k", "BM_FontifyLongLine/320000", "BM_FontifyLongLine/80000"},
         {"long_nul_line_320k_vs_80k", "BM_FontifyNulLine/320000", "BM_FontifyNulLine/80000"},
         {"long_tsv_line_320k_vs_80k", "BM_FontifyTabSeparatedLine/320000",
          "BM_FontifyTabSeparatedLine/80000"}},
        {{"goto_keyword_line", "BM_GoToKeywordLine", "ms"}});
}
