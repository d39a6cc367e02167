// Stands in for a Java runtime's bin\java.exe: writes a chosen version text
// to standard error and standard output, and records each start.
//
// fake-java-output.txt  next to the program: one record a line, "1 " or "2 "
//                       followed by the text for standard output or standard
//                       error. The line's own end is not written; \r, \n and
//                       \\ in the text stand for a carriage return, a line
//                       feed and a backslash. Nothing is written without it.
// fake-java-runs.txt    next to the program: the command line of every
//                       start is appended to it, one a line.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

namespace {

std::string ProgramFolder()
{
    char path[32768] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path, length < sizeof path ? length : 0);
    size_t slash = folder.rfind('\\');
    return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

std::string ReadWhole(const std::string& path)
{
    std::string bytes;
    FILE* file = fopen(path.c_str(), "rb");
    if (file == nullptr)
        return bytes;
    char block[4096];
    size_t count;
    while ((count = fread(block, 1, sizeof block, file)) > 0)
        bytes.append(block, count);
    fclose(file);
    return bytes;
}

void RecordStart(const std::string& folder)
{
    FILE* file = fopen((folder + "fake-java-runs.txt").c_str(), "ab");
    if (file == nullptr)
        return;
    fputs(GetCommandLineA(), file);
    fputc('\n', file);
    fclose(file);
}

// A record's text with its escapes resolved.
std::string Unescape(std::string_view text)
{
    std::string bytes;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            bytes += text[i];
            continue;
        }
        char next = text[++i];
        bytes += next == 'r' ? '\r' : next == 'n' ? '\n' : next;
    }
    return bytes;
}

}  // namespace

int main()
{
    std::string folder = ProgramFolder();
    RecordStart(folder);
    // Bytes go out untranslated; each record is flushed before the next, so
    // the two streams arrive in the order written.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    std::string script = ReadWhole(folder + "fake-java-output.txt");
    size_t position = 0;
    while (position + 2 <= script.size()) {
        size_t end = script.find('\n', position);
        if (end == std::string::npos)
            end = script.size();
        FILE* stream = script[position] == '2' ? stderr : stdout;
        // A record shorter than its "N " prefix writes nothing.
        size_t length = end - position >= 2 ? end - position - 2 : 0;
        std::string bytes = Unescape(std::string_view(script).substr(position + 2, length));
        fwrite(bytes.data(), 1, bytes.size(), stream);
        fflush(stream);
        position = end + 1;
    }
    return 0;
}
