// Text-mode reading of medium files, done in portable code on top of the
// binary file calls so that every build reads a medium alike: a carriage
// return followed by a line feed reads as one line feed (other carriage
// returns stay), and a Ctrl-Z ends the file.
#pragma once

#include <cstddef>

#include "platform/system.h"

struct TextFile {
    SysFile* file = nullptr;
    unsigned char buffer[4096];
    size_t position = 0;
    size_t length = 0;
    bool ended = false;
};

bool OpenTextFile(TextFile& file, const char* path);

// One read as fgets does it: characters up to and including the next line
// feed, at most capacity - 1 of them, then a NUL. At the end of the file it
// takes nothing, returns false and leaves line as it was.
bool ReadTextLine(TextFile& file, char* line, size_t capacity);

void CloseTextFile(TextFile& file);
