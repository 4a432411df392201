#include "help/ChmArchive.h"

#include <chm_lib.h>

#include <algorithm>
#include <cstring>

namespace {

// Far above any topic, style sheet or picture; a damaged length field must
// not make us allocate gigabytes.
constexpr LONGUINT64 MaxObjectSize = 64u << 20;

uint32_t Le32(const std::string& data, size_t at) {
    auto b = [&](size_t i) { return uint32_t(static_cast<unsigned char>(data[at + i])); };
    return b(0) | b(1) << 8 | b(2) << 16 | b(3) << 24;
}

uint16_t Le16(const std::string& data, size_t at) {
    auto b = [&](size_t i) { return uint16_t(static_cast<unsigned char>(data[at + i])); };
    return uint16_t(b(0) | b(1) << 8);
}

// A zero-terminated string starting at `at`, or what is left of the data.
std::string CString(const std::string& data, size_t at) {
    if (at >= data.size())
        return {};
    const size_t end = data.find('\0', at);
    return data.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

std::string WithLeadingSlash(std::string path) {
    if (path.empty() || path.front() != '/')
        path.insert(path.begin(), '/');
    return path;
}

int CollectFile(chmFile*, chmUnitInfo* info, void* context) {
    auto& files = *static_cast<std::vector<std::string>*>(context);
    const std::string path = info->path;
    // "/#..." and "/$..." are the compiler's tables, "::" its storage.
    if (path.size() > 1 && path[0] == '/' && path[1] != '#' && path[1] != '$' && path.back() != '/')
        files.push_back(path);
    return CHM_ENUMERATOR_CONTINUE;
}

} // namespace

std::unique_ptr<TChmArchive> TChmArchive::Open(const std::string& path) {
    chmFile* file = chm_open(path.c_str());
    if (!file)
        return nullptr;
    std::unique_ptr<TChmArchive> archive(new TChmArchive(file));
    archive->ReadSystem();
    archive->ReadContextMap();
    return archive;
}

TChmArchive::TChmArchive(chmFile* file) : file_(file) {}

TChmArchive::~TChmArchive() {
    chm_close(file_);
}

bool TChmArchive::Contains(const std::string& path) const {
    chmUnitInfo info{};
    return chm_resolve_object(file_, WithLeadingSlash(path).c_str(), &info) == CHM_RESOLVE_SUCCESS;
}

std::optional<std::string> TChmArchive::Read(const std::string& path) const {
    chmUnitInfo info{};
    if (chm_resolve_object(file_, WithLeadingSlash(path).c_str(), &info) != CHM_RESOLVE_SUCCESS ||
        info.length > MaxObjectSize)
        return std::nullopt;
    std::string data(size_t(info.length), '\0');
    if (info.length == 0)
        return data;
    const LONGINT64 got = chm_retrieve_object(
        file_, &info, reinterpret_cast<unsigned char*>(data.data()), 0, LONGINT64(info.length));
    if (got != LONGINT64(info.length))
        return std::nullopt;
    return data;
}

std::vector<std::string> TChmArchive::Files() const {
    std::vector<std::string> files;
    chm_enumerate(file_, CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_FILES, CollectFile, &files);
    return files;
}

void TChmArchive::ReadSystem() {
    // A version word, then records of a 16-bit code, a 16-bit length and
    // that many bytes.
    const std::optional<std::string> system = Read("/#SYSTEM");
    if (!system)
        return;
    const std::string& data = *system;
    for (size_t at = 4; at + 4 <= data.size();) {
        const uint16_t code = Le16(data, at);
        const uint16_t length = Le16(data, at + 2);
        at += 4;
        if (at + length > data.size())
            break;
        const std::string value = CString(data.substr(at, length), 0);
        switch (code) {
        case 0:
            contentsFile_ = WithLeadingSlash(value);
            break;
        case 1:
            indexFile_ = WithLeadingSlash(value);
            break;
        case 2:
            defaultTopic_ = WithLeadingSlash(value);
            break;
        case 3:
            title_ = value;
            break;
        }
        at += length;
    }
}

void TChmArchive::ReadContextMap() {
    // #IVB: a byte count, then pairs of a context id and the offset of its
    // topic's path in #STRINGS.
    const std::optional<std::string> ivb = Read("/#IVB");
    const std::optional<std::string> strings = Read("/#STRINGS");
    if (!ivb || !strings || ivb->size() < 4)
        return;
    const size_t end = std::min<size_t>(ivb->size(), 4 + size_t(Le32(*ivb, 0)));
    for (size_t at = 4; at + 8 <= end; at += 8) {
        const std::string topic = ArchivePath(CString(*strings, Le32(*ivb, at + 4)));
        if (!topic.empty())
            contextMap_.emplace(Le32(*ivb, at), topic);
    }
}

std::string TChmArchive::ArchivePath(std::string stored) const {
    // The compiler stores the path the topic had on the machine that built
    // the file; the archive holds it relative to the project. Drop leading
    // folders until the archive knows the rest.
    std::replace(stored.begin(), stored.end(), '\\', '/');
    std::string path = WithLeadingSlash(stored);
    while (!path.empty()) {
        if (Contains(path))
            return path;
        const size_t next = path.find('/', 1);
        if (next == std::string::npos)
            break;
        path.erase(0, next);
    }
    return {};
}

std::string TChmArchive::TopicForContext(uint32_t context) const {
    const auto found = contextMap_.find(context);
    return found == contextMap_.end() ? std::string() : found->second;
}
