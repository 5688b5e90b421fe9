#include "GeneratedLibrary.h"

#include <fstream>
#include <stdexcept>

CGeneratedLibrary::CGeneratedLibrary(int nFiles, int nPerFile) : m_nFiles(nFiles)
{
    if (!m_dir.isValid())
        throw std::runtime_error("no scratch folder");
    std::ofstream list(Directory() + "list.txt");
    for (int f = 0; f < nFiles; ++f)
    {
        const std::string name = "lib" + std::to_string(f) + ".txt";
        list << name << "\n";
        std::ofstream file(Directory() + name, std::ios::binary);
        for (int k = 0; k < nPerFile; ++k)
        {
            const std::string keyword = Keyword(f, k);
            file << keyword << ":" << Parent(f, k) << "\n"
                 << keyword << " <tag> <node1> <node2> [-option <value>] [-flag]\n"
                 << "\n"
                 << "    <tag>     unique integer tag of the new object\n"
                 << "    <node1>   first node it connects\n"
                 << "    <node2>   second node it connects\n"
                 << "    -option   an optional value, 0 by default\n"
                 << "#\n";
        }
    }
}

std::string CGeneratedLibrary::Directory() const
{
    return m_dir.path().toStdString() + "/";
}

std::vector<std::string> CGeneratedLibrary::FilePaths() const
{
    std::vector<std::string> paths;
    for (int f = 0; f < m_nFiles; ++f)
        paths.push_back(Directory() + "lib" + std::to_string(f) + ".txt");
    return paths;
}

std::string CGeneratedLibrary::Keyword(int nFile, int k)
{
    return (k % 10 == 0 ? "cmd" : "opt") + std::to_string(nFile) + "_" + std::to_string(k);
}

std::string CGeneratedLibrary::Parent(int nFile, int k)
{
    return k % 10 == 0 ? std::string("command") : Keyword(nFile, k - k % 10);
}

CGeneratedLibrary& BenchLibrary()
{
    static CGeneratedLibrary s_library(10, 1000);
    return s_library;
}
