#pragma once

#include <QTemporaryDir>
#include <string>
#include <vector>

// A help library written to a scratch folder: nFiles help files of nPerFile
// records each, named in list.txt. A tenth of the records are top-level
// commands; the rest hang under one of them.
class CGeneratedLibrary
{
public:
    CGeneratedLibrary(int nFiles, int nPerFile);

    std::string Directory() const; // with a trailing separator
    std::vector<std::string> FilePaths() const;

    static std::string Keyword(int nFile, int k);
    static std::string Parent(int nFile, int k);

private:
    QTemporaryDir m_dir;
    int m_nFiles;
};

// The library the benchmarks share: 10 files of 1,000 records, made once.
CGeneratedLibrary& BenchLibrary();
