// Starts the launcher exactly as a test asks and reports how it ended.
//
//   runner.exe <request file>
//
// The request is read from a file so that no quoting stands between the test
// and CreateProcessA. Each line is a key, one space and the value in hex:
//   application       application name (absent: none is passed)
//   commandLine       command line, passed as it is
//   currentDirectory  the child's current directory (absent: the runner's)
//   environment       NAME=VALUE set for the child; NAME alone removes it
//   stdout, stderr    files that receive the child's standard output/error
//   timeout           milliseconds, as decimal text
//   result            file the outcome is written to
//
// The outcome, one "key value" per line: status (ended, timeout or
// not-started), error (GetLastError of a failed start), pid and runnerPid
// (decimal, to tell the processes apart in a trace) and exitCode (eight hex
// digits: the whole 32-bit code, where Wine's Unix exit status keeps only
// the low byte). The launcher runs in a job object, so a timeout ends it
// together with everything it started.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Request {
    bool hasApplication = false;
    std::string application;
    std::string commandLine;
    bool hasCurrentDirectory = false;
    std::string currentDirectory;
    std::vector<std::string> environment;
    std::string stdoutPath;
    std::string stderrPath;
    DWORD timeoutMs = 30000;
    std::string resultPath;
};

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool DecodeHex(const std::string& hex, std::string& text)
{
    if (hex.size() % 2 != 0)
        return false;
    text.clear();
    for (size_t i = 0; i < hex.size(); i += 2) {
        int high = HexDigit(hex[i]);
        int low = HexDigit(hex[i + 1]);
        if (high < 0 || low < 0)
            return false;
        text += static_cast<char>(high * 16 + low);
    }
    return true;
}

bool ReadRequest(const char* path, Request& request)
{
    FILE* file = fopen(path, "rb");
    if (file == nullptr)
        return false;
    std::string content;
    char chunk[4096];
    size_t got = 0;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0)
        content.append(chunk, got);
    fclose(file);

    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        if (end == std::string::npos)
            end = content.size();
        std::string line = content.substr(start, end - start);
        start = end + 1;
        if (line.empty())
            continue;
        size_t space = line.find(' ');
        std::string key = line.substr(0, space);
        std::string value;
        if (!DecodeHex(space == std::string::npos ? std::string() : line.substr(space + 1), value))
            return false;
        if (key == "application") {
            request.hasApplication = true;
            request.application = value;
        } else if (key == "commandLine") {
            request.commandLine = value;
        } else if (key == "currentDirectory") {
            request.hasCurrentDirectory = true;
            request.currentDirectory = value;
        } else if (key == "environment") {
            request.environment.push_back(value);
        } else if (key == "stdout") {
            request.stdoutPath = value;
        } else if (key == "stderr") {
            request.stderrPath = value;
        } else if (key == "timeout") {
            request.timeoutMs = static_cast<DWORD>(strtoul(value.c_str(), nullptr, 10));
        } else if (key == "result") {
            request.resultPath = value;
        } else {
            return false;
        }
    }
    return !request.stdoutPath.empty() && !request.stderrPath.empty() && !request.resultPath.empty();
}

void ApplyEnvironment(const std::vector<std::string>& entries)
{
    for (const std::string& entry : entries) {
        size_t equals = entry.find('=', 1);
        if (equals == std::string::npos)
            SetEnvironmentVariableA(entry.c_str(), nullptr);
        else
            SetEnvironmentVariableA(entry.substr(0, equals).c_str(), entry.c_str() + equals + 1);
    }
}

HANDLE OpenInheritable(const char* path, DWORD access, DWORD disposition)
{
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, nullptr, TRUE};
    return CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, &attributes, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool WriteResult(const std::string& path, const char* status, DWORD error, DWORD pid, DWORD exitCode)
{
    FILE* file = fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    fprintf(file, "status %s\nerror %lu\npid %lu\nrunnerPid %lu\nexitCode %08lx\n", status,
            static_cast<unsigned long>(error), static_cast<unsigned long>(pid),
            static_cast<unsigned long>(GetCurrentProcessId()), static_cast<unsigned long>(exitCode));
    fclose(file);
    printf("status %s exitCode %08lx\n", status, static_cast<unsigned long>(exitCode));
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    Request request;
    if (argc != 2 || !ReadRequest(argv[1], request)) {
        fprintf(stderr, "runner: usage: runner <request file> (a readable, well-formed request)\n");
        return 2;
    }
    ApplyEnvironment(request.environment);

    HANDLE input = OpenInheritable("NUL", GENERIC_READ, OPEN_EXISTING);
    HANDLE output = OpenInheritable(request.stdoutPath.c_str(), GENERIC_WRITE, CREATE_ALWAYS);
    HANDLE error = OpenInheritable(request.stderrPath.c_str(), GENERIC_WRITE, CREATE_ALWAYS);
    if (input == INVALID_HANDLE_VALUE || output == INVALID_HANDLE_VALUE || error == INVALID_HANDLE_VALUE) {
        fprintf(stderr, "runner: cannot open the standard handles for the launcher\n");
        return 2;
    }

    // Kill-on-close: whatever the launcher started goes with it.
    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job == nullptr || !SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        fprintf(stderr, "runner: cannot make a job object\n");
        return 2;
    }

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = error;
    PROCESS_INFORMATION process = {};
    // CreateProcessA may write into the command line: pass a copy.
    std::vector<char> commandLine(request.commandLine.begin(), request.commandLine.end());
    commandLine.push_back('\0');
    if (!CreateProcessA(request.hasApplication ? request.application.c_str() : nullptr, commandLine.data(), nullptr,
                        nullptr, TRUE, CREATE_SUSPENDED,
                        nullptr, request.hasCurrentDirectory ? request.currentDirectory.c_str() : nullptr, &startup,
                        &process)) {
        DWORD startError = GetLastError();
        return WriteResult(request.resultPath, "not-started", startError, 0, 0) ? 0 : 2;
    }
    AssignProcessToJobObject(job, process.hProcess);
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);
    CloseHandle(input);
    CloseHandle(output);
    CloseHandle(error);

    const char* status = "ended";
    if (WaitForSingleObject(process.hProcess, request.timeoutMs) != WAIT_OBJECT_0) {
        status = "timeout";
        TerminateJobObject(job, 0xDEADDEAD);
        WaitForSingleObject(process.hProcess, 5000);
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    return WriteResult(request.resultPath, status, 0, process.dwProcessId, exitCode) ? 0 : 2;
}
