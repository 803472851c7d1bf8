#include "CsvWriter.h"

#include "OutputError.h"
#include "ResultRow.h"

#include <cerrno>
#include <cstring>
#include <system_error>

CsvWriter::CsvWriter(const std::optional<std::string>& path) {
    if (!path) {
        file = stdout;
        name = "standard output";
        return;
    }
    name = *path;
    file = std::fopen(path->c_str(), "wb");
    if (file == nullptr) {
        Fail();
    }
    owned = true;
}

CsvWriter::~CsvWriter() {
    if (owned && file != nullptr) {
        std::fclose(file);
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
    CheckOpen();
    errno = 0;
    if (std::fwrite(line.data(), 1, line.size(), file) != line.size()) {
        Fail();
    }
}

void CsvWriter::Flush() {
    CheckOpen();
    errno = 0;
    if (std::fflush(file) != 0 || std::ferror(file)) {
        Fail();
    }
}

void CsvWriter::Close() {
    Flush();
    if (owned) {
        std::FILE* closing = file;
        file = nullptr;
        errno = 0;
        if (std::fclose(closing) != 0) {
            Fail();
        }
    }
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
