// Makes the nodrix(1) manual page from docs/nodrix.md at build time, so the
// page and the document never differ. It reads the Markdown the document
// uses: headings, paragraphs, fenced blocks, tables, bullet lists, `code`
// and [links](target).
//
//   nodrix_markdown_to_man INPUT.md OUTPUT.1 VERSION
#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Text for troff: backslashes escaped, `code` in bold, links as their text.
std::string Inline(const std::string& text) {
    std::string out;
    bool code = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' && i + 1 < text.size() && text[i + 1] == '|') {
            out += '|';
            ++i;
        } else if (c == '\\') {
            out += "\\e";
        } else if (c == '`') {
            code = !code;
            out += code ? "\\fB" : "\\fR";
        } else if (c == '-' && code) {
            out += "\\-";
        } else if (c == '[' && !code) {
            const std::size_t close = text.find("](", i);
            const std::size_t end = close == std::string::npos ? close : text.find(')', close);
            if (end == std::string::npos) {
                out += c;
                continue;
            }
            out += Inline(text.substr(i + 1, close - i - 1));
            i = end;
        } else {
            out += c;
        }
    }
    return out;
}

// A line that troff would read as a request gets a zero-width start.
std::string Line(const std::string& text) {
    if (!text.empty() && (text[0] == '.' || text[0] == '\'')) return "\\&" + text;
    return text;
}

std::vector<std::string> Cells(const std::string& row) {
    std::vector<std::string> cells;
    std::string cell;
    for (std::size_t i = 1; i < row.size(); ++i) {  // after the leading |
        if (row[i] == '\\' && i + 1 < row.size() && row[i + 1] == '|') {
            cell += "\\|";
            ++i;
        } else if (row[i] == '|') {
            while (!cell.empty() && cell.back() == ' ') cell.pop_back();
            cells.push_back(cell.substr(cell.find_first_not_of(' ') == std::string::npos
                                            ? cell.size()
                                            : cell.find_first_not_of(' ')));
            cell.clear();
        } else {
            cell += row[i];
        }
    }
    return cells;
}

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s INPUT.md OUTPUT.1 VERSION\n", argv[0]);
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    std::ostringstream man;
    man << ".\\\" Made from docs/nodrix.md at build time; edit that file.\n"
        << ".TH NODRIX 1 \"\" \"NodrixSdk " << argv[3] << "\" \"NodrixT520 SDK\"\n";
    std::string line;
    bool fenced = false, inTable = false, inList = false, named = false;
    std::vector<std::string> header;
    while (std::getline(in, line)) {
        if (line.rfind("```", 0) == 0) {
            fenced = !fenced;
            man << (fenced ? ".PP\n.nf\n" : ".fi\n");
            continue;
        }
        if (fenced) {
            man << Line(Inline(line)) << "\n";
            continue;
        }
        if (line.rfind("# ", 0) == 0 && !named) {
            // "# nodrix, the command-line tool" names the page.
            const std::string title = line.substr(2);
            const std::size_t comma = title.find(", ");
            man << ".SH NAME\nnodrix \\- "
                << (comma == std::string::npos ? title : title.substr(comma + 2))
                << " of the NodrixT520 SDK\n.SH DESCRIPTION\n";
            named = true;
            continue;
        }
        if (line.rfind("## ", 0) == 0) {
            man << ".SH " << Upper(Inline(line.substr(3))) << "\n";
            inTable = inList = false;
            continue;
        }
        if (line.rfind("|", 0) == 0) {
            const std::vector<std::string> cells = Cells(line);
            if (!inTable) {
                header = cells;
                inTable = true;
            } else if (!cells.empty() && cells[0].find("---") == std::string::npos) {
                // One tagged paragraph per row: the first cell as the tag, the
                // others after it, the later ones named by their heading.
                man << ".TP\n" << Line(Inline(cells[0])) << "\n" << Line(Inline(cells[1]));
                for (std::size_t i = 2; i < cells.size(); ++i) {
                    man << " (" << Inline(i < header.size() ? header[i] : "") << ": "
                        << Inline(cells[i]) << ")";
                }
                man << "\n";
            }
            continue;
        }
        if (line.empty()) {
            if (inTable || inList) man << ".PP\n";
            inTable = inList = false;
            man << ".PP\n";
            continue;
        }
        if (line.rfind("- ", 0) == 0) {
            man << ".IP \\(bu 2\n" << Line(Inline(line.substr(2))) << "\n";
            inList = true;
            continue;
        }
        std::size_t start = line.find_first_not_of(' ');
        man << Line(Inline(line.substr(start))) << "\n";
    }
    // Blank-line paragraphs next to headings are redundant.
    std::string text = man.str();
    const auto collapse = [&text](const std::string& from, const std::string& to) {
        for (std::size_t at; (at = text.find(from)) != std::string::npos;) {
            text.replace(at, from.size(), to);
        }
    };
    collapse(".PP\n.PP\n", ".PP\n");
    collapse(".PP\n.SH", ".SH");
    collapse(".SH DESCRIPTION\n.PP\n", ".SH DESCRIPTION\n");
    std::ofstream out(argv[2], std::ios::binary);
    out << text;
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
