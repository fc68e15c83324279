// Kind 0: the buffered store backed by a text file.
#include "config_store/IniStores.h"

#include "file_io.h"
#include "guarded.h"
#include "ini_parser.h"
#include "ini_tree.h"

using namespace config_store;

int CIniFile_Fast::Load()
{
    return Guarded<int>(INIERR_WRITE, [&]() -> int {
        std::string content;
        if (!ReadWholeFile(FileName(), content)) return INIERR_OPEN;
        TextFileLines lines(content);
        return ParseIniText(lines, MutableTree());
    });
}

int CIniFile_Fast::Save()
{
    return Guarded<int>(INIERR_WRITE, [&]() -> int {
        if (FileName().empty()) return INIERR_OPEN;
        return ReplaceFileContent(FileName(), FormatIniText(Tree(), kPlatformLineEnd));
    });
}
