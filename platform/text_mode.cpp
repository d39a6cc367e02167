#include "platform/text_mode.h"

namespace {

int PeekByte(TextFile& file)
{
    if (file.position == file.length) {
        file.position = 0;
        file.length = SysFileRead(file.file, file.buffer, sizeof file.buffer);
        if (file.length == 0)
            return -1;
    }
    return file.buffer[file.position];
}

int TakeByte(TextFile& file)
{
    int c = PeekByte(file);
    if (c >= 0)
        ++file.position;
    return c;
}

int ReadTextChar(TextFile& file)
{
    if (file.ended)
        return -1;
    int c = TakeByte(file);
    if (c < 0 || c == 0x1A) {
        file.ended = true;
        return -1;
    }
    if (c == '\r' && PeekByte(file) == '\n') {
        TakeByte(file);
        return '\n';
    }
    return c;
}

}  // namespace

bool OpenTextFile(TextFile& file, const char* path)
{
    file.file = SysFileOpen(path);
    file.position = 0;
    file.length = 0;
    file.ended = false;
    return file.file != nullptr;
}

bool ReadTextLine(TextFile& file, char* line, size_t capacity)
{
    if (file.file == nullptr || capacity == 0)
        return false;
    size_t count = 0;
    while (count + 1 < capacity) {
        int c = ReadTextChar(file);
        if (c < 0)
            break;
        line[count++] = static_cast<char>(c);
        if (c == '\n')
            break;
    }
    if (count == 0)
        return false;
    line[count] = '\0';
    return true;
}

void CloseTextFile(TextFile& file)
{
    if (file.file != nullptr)
        SysFileClose(file.file);
    file.file = nullptr;
}
