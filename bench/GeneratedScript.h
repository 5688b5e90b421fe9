#pragma once

#include <string>

// A deterministic Vorsa script of exactly nChars characters with LF line ends:
// model, node, element and material lines, set and source lines, comments,
// procedures, commands of the generated library, and now and then a line of
// more than 5,000 characters.
std::string GeneratedScript(size_t nChars);

// The same script with every line break as CR LF, as the editing pane holds
// it, cut to exactly nChars characters without splitting a break: the text
// both a benchmark and its anchor are given.
std::string GeneratedScriptCrLf(size_t nChars);

// The script the benchmarks and their anchors share: 2,000,000 characters
// with CR LF breaks, made once.
constexpr size_t kBenchScriptChars = 2000000;
const std::string& BenchScript();

// A clean Vorsa model of about nChars characters with CR LF breaks: a
// plane frame of storeys and bays (nodes, supports, beams and columns, a
// procedure that places a column, loads in a load case) that the bundled
// library knows, the check passes and the dry run runs to its end.
std::string GeneratedModel(size_t nChars);
