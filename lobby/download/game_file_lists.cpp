#include "lobby/download/game_file_lists.h"

#include <algorithm>

#include "runtime/convert.h"
#include "runtime/name_table.h"
#include "runtime/strings.h"
#include "runtime/xml.h"

namespace download {
namespace {

std::string firstChildValue(const rt::Xml& element) {
    std::optional<rt::Xml> child = element.firstChild();
    return child ? child->value() : std::string();
}

}  // namespace

std::vector<ServerEntry> parseServerList(std::string_view text) {
    std::vector<ServerEntry> entries;
    for (const rt::Xml& element : rt::Xml::parse(text).elements()) {
        ServerEntry entry;
        entry.file = firstChildValue(element);
        entry.md5 = element.attribute("md5").value_or("");
        entry.modules = rt::split(element.attribute("dep").value_or(""), ",");
        entries.push_back(std::move(entry));
    }
    return entries;
}

rt::Ref<rt::Record> parseLocalList(std::string_view text) {
    auto list = rt::make<rt::Record>();
    for (const rt::Xml& element : rt::Xml::parse(text).elements()) {
        list->set(firstChildValue(element),
                  rt::Value(rt::Record::of({{"md5", element.attribute("md5").value_or("")},
                                            {"dep", element.attribute("dep").value_or("")}})));
    }
    return list;
}

std::string localListText(const rt::Record& list) {
    std::vector<std::pair<std::string, rt::Value>> entries;
    for (const rt::Record::Field& field : list.fields()) {
        entries.emplace_back(rt::nameOf(field.id), field.value);
    }
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::string text;
    for (const auto& [path, entry] : entries) {
        text += "<f md5=\"" + rt::escapeXmlText(rt::fromValue<std::string>(entry.get("md5"))) +
                "\" dep=\"" + rt::escapeXmlText(rt::fromValue<std::string>(entry.get("dep"))) +
                "\">" + rt::escapeXmlText(path) + "</f>";
    }
    return text;
}

rt::Ref<rt::Array> candidateVersions(const std::string& file, const rt::Array* versions,
                                     const rt::Array* versionFileList) {
    auto candidates = rt::make<rt::Array>();
    int count = versions ? versions->size() : 0;
    if (versionFileList && versionFileList->size() > 0) {
        for (int i = count - 1; i >= 0; --i) {
            if (i == 0) {
                candidates->push(versions->get(0));
                break;
            }
            rt::Ref<rt::Array> files = versionFileList->get(i).asArray();
            int size = files ? files->size() : 0;
            if (size == 0) {
                for (int k = 0; k <= i; ++k) candidates->push(versions->get(k));
                break;
            }
            bool named = std::any_of(
                files->items().begin(), files->items().end(),
                [&](const rt::Value& v) { return rt::fromValue<std::string>(v) == file; });
            if (named) {
                candidates->push(versions->get(i));
                break;
            }
        }
    }
    if (candidates->size() == 0) {
        for (int k = 0; k < count; ++k) candidates->push(versions->get(k));
    }
    return candidates;
}

}  // namespace download
