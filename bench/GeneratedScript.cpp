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
