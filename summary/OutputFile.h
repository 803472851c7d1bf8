#pragma once

#include <cstdio>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// A table of comma-separated values (fields quoted as ResultRow::Quoted does, rows ended by a
// line feed) that reaches its file whole or not at all: the rows are held until Commit, which
// writes them to a new file next to the target and renames that over it. Until then the target
// is untouched; a failure or a destruction without Commit removes the new file. Without a path
// the rows go to standard output, at Commit too. Failures throw OutputFileError naming the
// target and the system's reason.
class OutputFile {
public:
    // Creates the new file now, so that a folder that cannot be written is refused before any
    // work.
    explicit OutputFile(const std::optional<std::string>& path);
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    void WriteRow(std::span<const std::string> fields);
    void WriteRow(std::span<const std::string_view> fields);
    void Commit();

private:
    void Append(std::string_view field, bool first);
    [[noreturn]] void Fail(int code) const;

    std::optional<std::filesystem::path> target;
    std::filesystem::path temporary;
    std::FILE* file = nullptr;
    std::string name;
    std::string text;
    bool committed = false;
};
