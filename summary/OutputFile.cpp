#include "OutputFile.h"

#include "OutputFileError.h"
#include "ResultRow.h"

#include <cerrno>
#include <random>
#include <system_error>

OutputFile::OutputFile(const std::optional<std::string>& path) {
    if (!path) {
        name = "standard output";
        return;
    }
    name = *path;
    target = *path;
    std::error_code error;
    if (std::filesystem::is_directory(*target, error)) {
        Fail(EISDIR);
    }
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        // Appended piece by piece: GCC 12 warns falsely about "." + a temporary string.
        std::string leaf = ".";
        leaf += target->filename().string();
        leaf += '.';
        leaf += std::to_string(random());
        leaf += ".tmp";
        temporary = target->parent_path() / leaf;
        // "x": never take over a name that exists, even one made meanwhile.
        errno = 0;
        file = std::fopen(temporary.c_str(), "wbx");
        if (file != nullptr || errno != EEXIST) {
            break;
        }
    }
    if (file == nullptr) {
        Fail(errno);
    }
}

OutputFile::~OutputFile() {
    if (file != nullptr) {
        std::fclose(file);
    }
    if (target && !committed) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
    }
}

void OutputFile::Append(std::string_view field, bool first) {
    if (!first) {
        text += ',';
    }
    text += ResultRow::Quoted(field);
}

void OutputFile::WriteRow(std::span<const std::string> fields) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        Append(fields[i], i == 0);
    }
    text += '\n';
}

void OutputFile::WriteRow(std::span<const std::string_view> fields) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        Append(fields[i], i == 0);
    }
    text += '\n';
}

void OutputFile::Commit() {
    if (committed) {
        return;
    }
    std::FILE* out = target ? file : stdout;
    if (out == nullptr) {
        Fail(EBADF);
    }
    errno = 0;
    const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    // Buffered data meets a full disk only when flushed.
    const bool flushed = written && std::fflush(out) == 0;
    const int code = errno != 0 ? errno : EIO;
    if (!target) {
        if (!flushed) {
            Fail(code);
        }
        committed = true;
        return;
    }
    file = nullptr;
    errno = 0;
    const bool closed = std::fclose(out) == 0;
    if (!flushed || !closed) {
        Fail(!flushed ? code : (errno != 0 ? errno : EIO));
    }
    std::error_code error;
    std::filesystem::rename(temporary, *target, error);
    if (error) {
        Fail(error.value());
    }
    committed = true;
}

void OutputFile::Fail(int code) const {
    throw OutputFileError("cannot write " + name + ": " + std::generic_category().message(code));
}
