#include "CsvWriter.h"

#include "OutputError.h"
#include "ResultRow.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

CsvWriter::CsvWriter(const std::optional<std::string>& path, Mode mode, std::uint64_t keptBytes)
    : mode(mode), keptBytes(keptBytes) {
    if (!path) {
        file = stdout;
        name = "standard output";
        return;
    }
    name = *path;
    owned = true;
    switch (mode) {
    case Mode::Create:
        file = std::fopen(path->c_str(), "wb");
        break;
    case Mode::Append:
        // Opened by the first row.
        return;
    case Mode::Replace:
        temporary = *path + ".partial";
        file = std::fopen(temporary.c_str(), "wb");
        break;
    }
    if (file == nullptr) {
        Fail();
    }
}

CsvWriter::~CsvWriter() {
    if (owned && file != nullptr) {
        std::fclose(file);
    }
    if (!closed && !temporary.empty()) {
        std::remove(temporary.c_str());
    }
}

void CsvWriter::OpenForAppend() {
    errno = 0;
    const int descriptor = ::open(name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        Fail();
    }
    if (::ftruncate(descriptor, static_cast<off_t>(keptBytes)) != 0 ||
        ::lseek(descriptor, 0, SEEK_END) < 0) {
        const int code = errno;
        ::close(descriptor);
        errno = code;
        Fail();
    }
    file = ::fdopen(descriptor, "wb");
    if (file == nullptr) {
        const int code = errno;
        ::close(descriptor);
        errno = code;
        Fail();
    }
}

void CsvWriter::WriteRow(std::span<const std::string> fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            line += ',';
        }
        line += ResultRow::Quoted(fields[i]);
    }
    line += '\n';
    if (file == nullptr && mode == Mode::Append && !closed) {
        OpenForAppend();
    }
    CheckOpen();
    errno = 0;
    if (std::fwrite(line.data(), 1, line.size(), file) != line.size()) {
        Fail();
    }
}

void CsvWriter::Flush() {
    if (file == nullptr && mode == Mode::Append && !closed) {
        // Nothing written yet: nothing to hand over.
        return;
    }
    CheckOpen();
    errno = 0;
    if (std::fflush(file) != 0 || std::ferror(file)) {
        Fail();
    }
}

void CsvWriter::Close() {
    if (file == nullptr && mode == Mode::Append && owned && !closed) {
        // No row was added: the kept rows stay, a line cut short after them goes.
        OpenForAppend();
    }
    Flush();
    if (owned) {
        std::FILE* closing = file;
        file = nullptr;
        errno = 0;
        if (std::fclose(closing) != 0) {
            Fail();
        }
        if (!temporary.empty() && std::rename(temporary.c_str(), name.c_str()) != 0) {
            Fail();
        }
    }
    closed = true;
}

void CsvWriter::CheckOpen() const {
    if (file == nullptr) {
        errno = EBADF;
        Fail();
    }
}

void CsvWriter::Fail() const {
    const int code = errno != 0 ? errno : EIO;
    throw OutputError("cannot write " + name + ": " + std::generic_category().message(code));
}
