// sheenwork convert: a form file to a Qt Designer .ui file, and a .ui file back to a form
// file. Which way is told by what the input holds (a .ui file is XML); the output is
// replaced atomically, and nothing is written when the input cannot be used whole.
#include <sheenwork/runtime/form_file.h>

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <ostream>
#include <sstream>

#include "cli.h"
#include "ui_file.h"

namespace sheenwork::cli {
namespace {

// The input: a regular file, not larger than a .ui file may be.
std::string ReadInput(const std::string& path) {
    const auto cannot = [&](const std::string& why) {
        return runtime::FormFileError({{path, 0, 0, "cannot read the file: " + why}});
    };
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) throw cannot(std::strerror(errno));
    if (!S_ISREG(st.st_mode)) throw cannot("not a regular file");
    if (static_cast<std::size_t>(st.st_size) > kMaxUiFileBytes)
        throw cannot("larger than " + std::to_string(kMaxUiFileBytes) + " bytes");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw cannot(std::strerror(errno));
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) throw cannot("read failed");
    return text.str();
}

bool IsXml(const std::string& text) {
    std::size_t at = text.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
    at = text.find_first_not_of(" \t\r\n", at);
    return at != std::string::npos && text[at] == '<';
}

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

int Convert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string input, output;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if ((a == "-o" || a == "--output") && i + 1 < args.size())
            output = args[++i];
        else if (!a.empty() && a[0] != '-' && input.empty())
            input = a;
        else
            throw UsageError{"convert: unexpected '" + a + "'"};
    }
    if (input.empty() || output.empty()) throw UsageError{"convert needs FILE and -o OUT"};
    try {
        const std::string text = ReadInput(input);
        const bool from_ui = IsXml(text);
        if (from_ui == EndsWith(output, ".ui"))
            throw UsageError{from_ui
                                 ? "convert: a .ui file becomes a form file, not '" + output + "'"
                                 : "convert: a form file becomes a .ui file: OUT must end in "
                                   ".ui, not '" +
                                       output + "'"};
        if (from_ui) {
            std::vector<std::string> notes;
            const runtime::FormFile form = ParseUiFile(text, input, notes);
            for (const std::string& note : notes) err << "sheenwork: " << note << "\n";
            runtime::WriteFormFile(form, output);
        } else {
            const runtime::FormFile form = runtime::ParseFormFile(text, input);
            runtime::ReplaceFile(output, FormatUiFile(form, output));
        }
        out << output << "\n";
        return kOk;
    } catch (const UsageError&) {
        throw;
    } catch (const std::exception& e) {
        err << e.what() << (std::string(e.what()).ends_with("\n") ? "" : "\n");
        return kBadInput;
    }
}

}  // namespace sheenwork::cli
