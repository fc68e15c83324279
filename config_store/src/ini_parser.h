// Reading ini text into the ordered tree: the tokenizer, line classification and
// the grammar of sections, key lines and comments.
#pragma once

#include "ini_tree.h"

#include <string_view>

namespace config_store {

// Hands out the lines of a text one at a time, without their line ends.
class LineSource {
public:
    virtual ~LineSource() = default;
    // False when the text has ended.
    virtual bool NextLine(std::string_view& line) = 0;
};

// Lines of a file's content: each ends at a line feed, a carriage return right
// before it is dropped (CR LF files read the same everywhere); a last line
// without a line feed counts when it is not empty.
class TextFileLines : public LineSource {
public:
    explicit TextFileLines(std::string_view text) : text_(text) {}
    bool NextLine(std::string_view& line) override;

private:
    std::string_view text_;
    size_t pos_ = 0;
};

// Lines of a memory block: LF, CR, CR LF and LF CR each end one line; a NUL or
// the end of the block ends the text.
class MemoryBlockLines : public LineSource {
public:
    MemoryBlockLines(const char* data, size_t size) : data_(data), size_(size) {}
    bool NextLine(std::string_view& line) override;

private:
    const char* data_;
    size_t size_;
    size_t pos_ = 0;
};

// Clears the tree and reads the text into it. Returns 0 or INIERR_SYNTAX; after
// a syntax error the entries read so far stay in the tree.
int ParseIniText(LineSource& source, IniTree& tree);

} // namespace config_store
