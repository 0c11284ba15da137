#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "runtime/array.h"
#include "runtime/record.h"

namespace download {

// One file entry of the server's "update.ini": every top-level element, whatever its name.
struct ServerEntry {
    std::string file;                  // relative path, "\"-separated, from the element text
    std::string md5;                   // expected digest
    std::vector<std::string> modules;  // the `dep` attribute split at ","
};

// The entries of a server list in document order; throws rt::XmlError for text that is no XML.
std::vector<ServerEntry> parseServerList(std::string_view text);

// The local list: a run of <f md5="..." dep="...">path</f> elements, read into a record from path
// to {md5, dep}. Text that is no XML throws.
rt::Ref<rt::Record> parseLocalList(std::string_view text);

// The local list's text, one element per entry in the order of the paths, with every value
// XML-escaped so that any path or digest reads back as written.
std::string localListText(const rt::Record& list);

// The versions a file that needs a download is looked for in, oldest first: the newest version
// whose file list names it, or every version up to the newest one whose file list is empty, or
// the oldest one; all versions when there are no file lists.
rt::Ref<rt::Array> candidateVersions(const std::string& file, const rt::Array* versions,
                                     const rt::Array* versionFileList);

}  // namespace download
