#pragma once
// A compiled HTML Help file read through chmlib: its files, the title and
// start topic it was compiled with, and the context map that links the
// program's help context ids to topics.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct chmFile;

class TChmArchive {
  public:
    // nullptr when the file is missing or is not a help file.
    static std::unique_ptr<TChmArchive> Open(const std::string& path);
    ~TChmArchive();
    TChmArchive(const TChmArchive&) = delete;
    TChmArchive& operator=(const TChmArchive&) = delete;

    // Paths inside the archive begin with "/"; letter case does not matter.
    bool Contains(const std::string& path) const;
    std::optional<std::string> Read(const std::string& path) const;
    // The content files, without the compiler's own bookkeeping.
    std::vector<std::string> Files() const;

    // From the #SYSTEM entry; empty when the compiler left them out.
    const std::string& Title() const { return title_; }
    const std::string& DefaultTopic() const { return defaultTopic_; }
    const std::string& ContentsFile() const { return contentsFile_; }
    const std::string& IndexFile() const { return indexFile_; }

    // The topic compiled for a context id, empty when the map has none.
    std::string TopicForContext(uint32_t context) const;
    const std::map<uint32_t, std::string>& ContextMap() const { return contextMap_; }

  private:
    explicit TChmArchive(chmFile* file);
    void ReadSystem();
    void ReadContextMap();
    // A path as the compiler stored it, made into a path of this archive.
    std::string ArchivePath(std::string stored) const;

    chmFile* file_;
    std::string title_, defaultTopic_, contentsFile_, indexFile_;
    std::map<uint32_t, std::string> contextMap_;
};
