#include "GeneratedScript.h"

#include "GeneratedLibrary.h"

#include <random>

std::string GeneratedScript(size_t nChars)
{
    std::mt19937 random(2002);
    auto number = [&random](int nMax)
    { return std::to_string(static_cast<int>(random() % static_cast<unsigned>(nMax))); };
    std::string script = "# generated model\nmodel -dims 2 -dofs 3\nsource units.tcl\n";
    int nLine = 0;
    while (script.size() < nChars)
    {
        ++nLine;
        switch (random() % 12)
        {
        case 0:
            script += "node " + number(90000) + " " + number(100) + ".5 " + number(100) + ".25\n";
            break;
        case 1:
            script += "element Truss " + number(90000) + " " + number(900) + " " + number(900) +
                      " 10.0 1\n";
            break;
        case 2:
            script += "  element Beam " + number(90000) + " " + number(900) + " " + number(900) +
                      " 10.0 29000 833 1\n";
            break;
        case 3:
            script += "set x" + number(400) + " [expr {$a" + number(9) + " * 2.5}]\n";
            break;
        case 4:
            script += "source part" + number(60) + ".tcl\n";
            break;
        case 5:
            script += "# load case " + number(100) + ": gravity and lateral loads\n";
            break;
        case 6:
            script += "proc step" + number(500) +
                      " {n} {\n    puts \"step $n\" ;# progress\n    set done 1\n}\n";
            break;
        case 7:
        {
            const int f = static_cast<int>(random() % 10);
            const int k = static_cast<int>(random() % 100) * 10;
            script += CGeneratedLibrary::Keyword(f, k) + " " +
                      CGeneratedLibrary::Keyword(f, k + 1) + " " + number(50) + " -flag\n";
            break;
        }
        case 8:
            script += "material Elastic " + number(20) + " 29000\n";
            break;
        case 9:
            script += "if {$ok != 0} {puts \"analysis failed\"; error \"stop\"}\n";
            break;
        case 10:
            script += "fix " + number(900) + " 1 1 0\n";
            break;
        default:
            script += "\n";
            break;
        }
        if (nLine % 2000 == 0)
        {
            script += "set values {";
            while (script.size() % 6000 != 0)
                script += number(1000) + " ";
            script += "}\n";
        }
    }
    script.resize(nChars);
    return script;
}

std::string GeneratedScriptCrLf(size_t nChars)
{
    const std::string lf = GeneratedScript(nChars);
    std::string crlf;
    crlf.reserve(nChars + nChars / 20);
    for (const char c : lf)
    {
        if (c == '\n')
            crlf += '\r';
        crlf += c;
        if (crlf.size() >= nChars)
            break;
    }
    crlf.resize(nChars);
    if (crlf.back() == '\r')
        crlf.back() = ' ';
    return crlf;
}

const std::string& BenchScript()
{
    static const std::string s_script = GeneratedScriptCrLf(kBenchScriptChars);
    return s_script;
}

std::string GeneratedModel(size_t nChars)
{
    std::string script = "# generated plane frame\r\nmodel -dims 2 -dofs 3\r\n"
                         "set bay 6.0\r\nset storey 3.5\r\n"
                         "material Elastic 1 30000000.0\r\ntransform Linear 1\r\n"
                         "proc column {tag i j} {\r\n"
                         "    element Beam $tag $i $j 0.09 30000000.0 0.000675 1\r\n}\r\n";
    const std::string tail =
        "series Linear 1\r\nloadcase 1 1 {\r\n    load 2 50.0 -120.0 0.0\r\n}\r\n"
        "solver Banded\r\nanalysis Static\r\n";
    constexpr int kBays = 20;
    std::string loads;
    long nElement = 0;
    for (int nStorey = 0; script.size() + tail.size() < nChars; ++nStorey)
    {
        script += "# storey " + std::to_string(nStorey) + "\r\n";
        for (int nBay = 0; nBay <= kBays; ++nBay)
        {
            const long nNode = static_cast<long>(nStorey) * (kBays + 1) + nBay + 1;
            script += "node " + std::to_string(nNode) + " [expr {" + std::to_string(nBay) +
                      " * $bay}] [expr {" + std::to_string(nStorey) + " * $storey}]\r\n";
            if (nStorey == 0)
                script += "support " + std::to_string(nNode) + " 1 1 1\r\n";
            else
            {
                script += "column " + std::to_string(++nElement) + " " +
                          std::to_string(nNode - (kBays + 1)) + " " + std::to_string(nNode) +
                          "\r\n";
                if (nBay > 0)
                    script += "element Beam " + std::to_string(++nElement) + " " +
                              std::to_string(nNode - 1) + " " + std::to_string(nNode) +
                              " 0.12 30000000.0 0.0016 1\r\n";
            }
        }
    }
    return script + tail;
}
