// The report, for people and for pipelines.
#include "launcher/launcher.h"
#include "launcher/text.h"
#include "tools/mediacheck/mediacheck.h"

namespace {

// "0x" and the given number of hexadecimal digits (at most 8).
std::string Hex(uint32_t value, int digits)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text = "0x";
    for (int i = digits - 1; i >= 0; --i)
        text += kDigits[(value >> (4 * i)) & 0xF];
    return text;
}

// Texts of the simulated Windows as UTF-8; control characters written as
// \n, \r, \t or \xHH so that each stays on its line.
std::string Escaped(std::string_view bytes, TextEncoding encoding)
{
    std::string text;
    for (char c : ToUtf8(bytes, encoding)) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (c == '\n')
            text += "\\n";
        else if (c == '\r')
            text += "\\r";
        else if (c == '\t')
            text += "\\t";
        else if (byte < 0x20 || byte == 0x7F)
            text += "\\x" + Hex(byte, 2).substr(2);
        else
            text += c;
    }
    return text;
}

// The same in double quotes, so that spaces at either end show.
std::string Shown(std::string_view bytes, TextEncoding encoding)
{
    std::string quoted = "\"";
    quoted += Escaped(bytes, encoding);
    quoted += '"';
    return quoted;
}

std::string ExitCodeText(uint32_t code)
{
    if (code < 0x100)
        return DecimalText(code);
    return Hex(code, 8) + " (" + DecimalText(code) + ")";
}

std::string DecisionName(PlatformDecision decision)
{
    switch (decision) {
    case PlatformDecision::Accept:
        return "accept";
    case PlatformDecision::AcceptWith32BitInstaller:
        return "accept-32-bit-installer";
    case PlatformDecision::Refuse:
        break;
    }
    return "refuse";
}

std::string FieldPlace(const FieldReading& field)
{
    if (!field.fileOpens)
        return field.file + " (missing)";
    if (field.line == 0)
        return field.file + " (empty)";
    std::string place = field.file + " line " + DecimalText(static_cast<unsigned long>(field.line));
    if (field.text.empty())
        return place + ", " + DecimalText(field.lineText.size()) + " characters: too short to hold it";
    return place + ", characters " + DecimalText(field.start) + "-" +
           DecimalText(field.start + field.text.size() - 1);
}

// A name and its value in a column, or one space further when the name is
// longer than the column.
void WriteLine(std::ostream& out, std::string_view name, std::string_view value)
{
    constexpr size_t kColumn = 16;
    out << "  " << name << std::string(name.size() < kColumn ? kColumn - name.size() : 1, ' ') << value << "\n";
}

void WriteField(std::ostream& out, std::string_view name, const FieldReading& field, TextEncoding encoding)
{
    WriteLine(out, name, Shown(field.text, encoding) + "  " + FieldPlace(field));
}

std::string YesNo(int flag)
{
    return flag != 0 ? "yes" : "no";
}

void WriteRuntime(std::ostream& out, const RuntimeReading& runtime, TextEncoding encoding)
{
    if (runtime.jreLocGiven) {
        WriteLine(out, "runtime", "-jreLoc; version command " + Shown(runtime.versionCommand, encoding));
        WriteLine(out, "version text", runtime.versionTextGiven
                                           ? "from --jre-version-text"
                                           : "none given: the command interpreter's answer for a missing runtime");
        WriteLine(out, "runtime flags", "Drovane " + YesNo(runtime.vendorDrovane) + ", IBM " +
                                            YesNo(runtime.vendorIbm) + ", 64-bit " + YesNo(runtime.jvm64Bit));
        return;
    }
    if (runtime.refused) {
        WriteLine(out, "runtime", "refused: no -jreLoc and none of the five runtime folders is on the medium");
        return;
    }
    std::string found;
    for (const std::string& folder : runtime.foldersPresent)
        found += (found.empty() ? "" : ", ") + folder;
    WriteLine(out, "runtime", "shipped on the medium: " + found);
}

void WriteCase(std::ostream& out, const CaseReport& one, const Report& report)
{
    TextEncoding encoding = report.encoding;
    out << "\n" << one.windowsBits << "-bit Windows\n";
    WriteRuntime(out, one.runtime, encoding);
    if (!one.runtime.refused) {
        WriteLine(out, "flavour", one.flavour);
        WriteLine(out, "disk number", Shown(one.diskNumber, encoding) + (one.diskNumber == "1" ? "" : ": not disk 1"));
    }
    if (one.outcome == Outcome::WrongDiskNotice) {
        std::string tried;
        for (const std::string& name : one.librariesTried)
            tried += (tried.empty() ? "" : ", ") + ReadableMediumPath(name, report.mediumRoot);
        WriteLine(out, "libraries tried", tried.empty() ? "none" : tried);
        WriteLine(out, "notice from", one.noticeLibrary.empty() ? "the built-in English text"
                                                                : ReadableMediumPath(one.noticeLibrary, report.mediumRoot));
    }
    if (one.platformChecked) {
        std::string decision = Shown(report.platformId.text, encoding) + ": ";
        decision += one.decision == PlatformDecision::Accept ? "accepted"
                    : one.decision == PlatformDecision::Refuse
                        ? "refused"
                        : "accepted with the 32-bit installer (allow line)";
        WriteLine(out, "platform", decision);
    }
    if (one.childTried) {
        WriteLine(out, "child path",
                  one.childPath + (one.installerExists ? " (exists)" : " (not on the medium)"));
        WriteLine(out, "child command", Shown(one.childCommandLine, encoding));
    }
    if (one.boxTitle)
        WriteLine(out, "message box", Shown(*one.boxTitle, encoding) + ": " + Shown(one.boxText, encoding));
    std::string outcome;
    switch (one.outcome) {
    case Outcome::RuntimeRefused:
        outcome = "refused for want of a Java runtime";
        break;
    case Outcome::WrongDiskNotice:
        outcome = "wrong-disk notice, no installer started";
        break;
    case Outcome::PlatformRefused:
        outcome = "refused: the medium is built for another platform";
        break;
    case Outcome::InstallerStarted:
        outcome = "installer started; when it ends the launcher writes " + Shown(one.standardOutput, encoding);
        break;
    case Outcome::InstallerNotStarted:
        outcome = "the installer cannot be started";
        break;
    }
    WriteLine(out, "outcome", outcome);
    WriteLine(out, "exit code", ExitCodeText(one.exitCode));
}

// --- JSON -----------------------------------------------------------------------

std::string Json(std::string_view utf8)
{
    std::string text = "\"";
    for (char c : utf8) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            text += '\\';
            text += c;
        } else if (c == '\n') {
            text += "\\n";
        } else if (c == '\r') {
            text += "\\r";
        } else if (c == '\t') {
            text += "\\t";
        } else if (byte < 0x20) {
            text += "\\u00" + Hex(byte, 2).substr(2);
        } else {
            text += c;
        }
    }
    return text + "\"";
}

std::string JsonText(std::string_view bytes, TextEncoding encoding)
{
    return Json(ToUtf8(bytes, encoding));
}

std::string JsonBool(bool value)
{
    return value ? "true" : "false";
}

std::string JsonList(const std::vector<std::string>& items, TextEncoding encoding)
{
    std::string text = "[";
    for (size_t i = 0; i < items.size(); ++i)
        text += (i == 0 ? "" : ", ") + JsonText(items[i], encoding);
    return text + "]";
}

std::string JsonField(const FieldReading& field, TextEncoding encoding)
{
    return "{\"text\": " + JsonText(field.text, encoding) + ", \"file\": " + Json(field.file) +
           ", \"fileOpens\": " + JsonBool(field.fileOpens) +
           ", \"line\": " + DecimalText(static_cast<unsigned long>(field.line)) +
           ", \"start\": " + DecimalText(field.start) + ", \"length\": " + DecimalText(field.text.size()) +
           ", \"lineText\": " + JsonText(field.lineText, encoding) + "}";
}

void WriteJsonCase(std::ostream& out, const CaseReport& one, TextEncoding encoding)
{
    const RuntimeReading& runtime = one.runtime;
    out << "    {\n      \"windows\": " << one.windowsBits << ",\n";
    out << "      \"runtime\": {\"jreLoc\": " << JsonBool(runtime.jreLocGiven) << ", \"versionCommand\": "
        << (runtime.jreLocGiven ? JsonText(runtime.versionCommand, encoding) : "null")
        << ", \"versionTextGiven\": " << JsonBool(runtime.versionTextGiven)
        << ", \"vendorDrovane\": " << JsonBool(runtime.vendorDrovane != 0)
        << ", \"vendorIbm\": " << JsonBool(runtime.vendorIbm != 0)
        << ", \"jvm64Bit\": " << JsonBool(runtime.jvm64Bit != 0)
        << ", \"foldersPresent\": " << JsonList(runtime.foldersPresent, encoding)
        << ", \"refused\": " << JsonBool(runtime.refused) << "},\n";
    bool chosen = !runtime.refused;
    out << "      \"flavour\": " << (chosen ? JsonText(one.flavour, encoding) : "null") << ",\n";
    out << "      \"diskNumber\": " << (chosen ? JsonText(one.diskNumber, encoding) : "null") << ",\n";
    out << "      \"notice\": ";
    if (one.outcome == Outcome::WrongDiskNotice)
        out << "{\"librariesTried\": " << JsonList(one.librariesTried, encoding) << ", \"library\": "
            << (one.noticeLibrary.empty() ? "null" : JsonText(one.noticeLibrary, encoding)) << "}";
    else
        out << "null";
    out << ",\n      \"platform\": "
        << (one.platformChecked ? "{\"decision\": " + Json(DecisionName(one.decision)) + "}" : "null") << ",\n";
    out << "      \"child\": ";
    if (one.childTried)
        out << "{\"path\": " << JsonText(one.childPath, encoding)
            << ", \"commandLine\": " << JsonText(one.childCommandLine, encoding)
            << ", \"installerExists\": " << JsonBool(one.installerExists) << "}";
    else
        out << "null";
    out << ",\n      \"messageBox\": ";
    if (one.boxTitle)
        out << "{\"title\": " << JsonText(*one.boxTitle, encoding) << ", \"text\": " << JsonText(one.boxText, encoding)
            << "}";
    else
        out << "null";
    out << ",\n      \"standardOutput\": " << JsonText(one.standardOutput, encoding) << ",\n";
    out << "      \"outcome\": " << Json(OutcomeName(one.outcome)) << ",\n";
    out << "      \"installerStarted\": " << JsonBool(one.outcome == Outcome::InstallerStarted) << ",\n";
    out << "      \"exitCode\": " << one.exitCode << "\n    }";
}

}  // namespace

void WriteHumanReport(const Report& report, std::ostream& out)
{
    TextEncoding encoding = report.encoding;
    out << "Medium        " << report.folder << " (as " << report.mediumRoot << ")\n";
    out << "Command line  " << Escaped(report.commandLine, encoding) << "\n";
    out << "Language      " << Hex(report.langId, 4) << ", library suffix " << report.languageSuffix << ", texts "
        << (encoding == TextEncoding::Windows1252 ? "in code page 1252" : "as UTF-8 (double-byte code page not reproduced)")
        << "\n";

    out << "\nFields taken by position (lines count from 1, characters from 0)\n";
    WriteField(out, "platform id", report.platformId, encoding);
    WriteField(out, "platform name", report.platformName, encoding);
    WriteField(out, "media label", report.mediaLabel, encoding);
    std::string allow = !report.allowFileOpens ? "none  " + report.allowFile + " (missing)"
                        : report.allowLine == 0
                            ? "none  " + report.allowFile
                            : "present  " + report.allowFile + " line " +
                                  DecimalText(static_cast<unsigned long>(report.allowLine));
    WriteLine(out, "allow line", allow);

    out << "\nResource libraries\n";
    if (report.libraries.empty())
        out << "  none\n";
    for (const LibraryReading& library : report.libraries)
        out << "  " << library.path << "  "
            << (!library.image     ? std::string("not a PE file Windows can load")
                : library.string1 ? "string 1 " + Shown(*library.string1, encoding)
                                  : std::string("no string 1"))
            << "\n";

    out << "\nWarnings\n";
    if (report.warnings.empty())
        out << "  none\n";
    for (const Warning& warning : report.warnings)
        out << "  [" << warning.code << "] " << ToUtf8(warning.text, encoding) << "\n";

    for (const CaseReport& one : report.cases)
        WriteCase(out, one, report);

    out << "\nResult: "
        << (report.ok ? "an installer that exists would start on every Windows asked for.\n"
                      : "on some Windows asked for, no installer would start.\n");
}

void WriteJsonReport(const Report& report, std::ostream& out)
{
    TextEncoding encoding = report.encoding;
    out << "{\n";
    out << "  \"medium\": " << JsonText(report.folder, TextEncoding::Utf8) << ",\n";
    out << "  \"launcherPath\": " << JsonText(report.launcherPath, encoding) << ",\n";
    out << "  \"mediumRoot\": " << JsonText(report.mediumRoot, encoding) << ",\n";
    out << "  \"arguments\": " << JsonList(report.arguments, encoding) << ",\n";
    out << "  \"commandLine\": " << JsonText(report.commandLine, encoding) << ",\n";
    out << "  \"langId\": " << report.langId << ",\n";
    out << "  \"languageSuffix\": " << Json(report.languageSuffix) << ",\n";
    out << "  \"encoding\": " << Json(encoding == TextEncoding::Windows1252 ? "windows-1252" : "utf-8") << ",\n";
    out << "  \"fields\": {\n";
    out << "    \"platformId\": " << JsonField(report.platformId, encoding) << ",\n";
    out << "    \"platformName\": " << JsonField(report.platformName, encoding) << ",\n";
    out << "    \"mediaLabel\": " << JsonField(report.mediaLabel, encoding) << ",\n";
    out << "    \"allowLine\": {\"file\": " << Json(report.allowFile) << ", \"fileOpens\": "
        << JsonBool(report.allowFileOpens) << ", \"present\": " << JsonBool(report.allowLine != 0)
        << ", \"line\": " << report.allowLine << "}\n  },\n";
    out << "  \"libraries\": [";
    for (size_t i = 0; i < report.libraries.size(); ++i) {
        const LibraryReading& library = report.libraries[i];
        out << (i == 0 ? "\n" : ",\n") << "    {\"path\": " << JsonText(library.path, encoding)
            << ", \"suffix\": " << JsonText(library.suffix, encoding) << ", \"loadable\": " << JsonBool(library.image)
            << ", \"string1\": " << (library.string1 ? JsonText(*library.string1, encoding) : "null") << "}";
    }
    out << (report.libraries.empty() ? "],\n" : "\n  ],\n");
    out << "  \"warnings\": [";
    for (size_t i = 0; i < report.warnings.size(); ++i)
        out << (i == 0 ? "\n" : ",\n") << "    {\"code\": " << Json(report.warnings[i].code)
            << ", \"message\": " << JsonText(report.warnings[i].text, encoding) << "}";
    out << (report.warnings.empty() ? "],\n" : "\n  ],\n");
    out << "  \"cases\": [\n";
    for (size_t i = 0; i < report.cases.size(); ++i) {
        WriteJsonCase(out, report.cases[i], encoding);
        out << (i + 1 < report.cases.size() ? ",\n" : "\n");
    }
    out << "  ],\n";
    out << "  \"ok\": " << JsonBool(report.ok) << "\n}\n";
}
