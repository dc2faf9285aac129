#pragma once
// The editable resource tree: one node type for the root, the directories and the data
// leaves. Read from the source's resource section (resource_reader.cpp), edited in memory
// (resource_edits.cpp), and written as a new resource section (resource_writer.cpp).

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "image/resource_key.h"
#include "image/resource_name.h"
#include "support/ext_ptr_array.h"
#include "support/vantrix_object.h"
#include "support/xstring.h"

namespace resmelder {

class ByteSink;
class ExeImage;
class LogBase;
class ProgressMonitor;

struct ResourceDirectoryHeader {
    std::uint32_t characteristics = 0;
    std::uint32_t timeDateStamp = 0;
    std::uint16_t majorVersion = 0;
    std::uint16_t minorVersion = 0;
    std::uint16_t namedCount = 0;
    std::uint16_t numericCount = 0;
};

struct ResourceDataEntry {
    std::uint32_t dataRva = 0;
    std::uint32_t size = 0;
    std::uint32_t codePage = 0;
    std::uint32_t reserved = 0;
};

/// What a name lookup finds: the leaf's bytes, or no bytes for a leaf whose data is not in
/// memory (a file-backed entry).
struct FoundResource {
    const std::uint8_t* data = nullptr;
    std::uint32_t size = 0;
};

class ExeResource;
struct SortScratch;

/// A name as the loader looks it up: its ANSI form (numeric entries compare their id written
/// in decimal with it) and its upper-cased UTF-16 form.
struct ResourceQuery {
    explicit ResourceQuery(std::string_view ansiName);
    std::string_view ansi;
    std::u16string upper;
};
struct TreeCounts;
struct LayoutCursor;
struct LeafPlace;

/// One data leaf of the usual three levels, with its address.
struct ResourceLeaf {
    ResourceKey key;
    const ExeResource* leaf = nullptr;
};

/// A directory with more entries of one kind than its 16-bit count can hold.
struct OverfullDirectory {
    std::string path;  // "root", then each level's name or id: "root/10"
    std::uint32_t count = 0;
    bool named = false;
};

/// One serialization's frozen view of the tree: the write order and every size, taken once
/// so that the laid-out section and the bytes written always agree.
struct ResourceLayout {
    std::vector<ExeResource*> directories;  // pre-order, children in written order
    std::vector<ExeResource*> leaves;
    std::vector<ExeResource*> named;
    // Every directory's entries as written (its named entries, then its numeric ones), the
    // directories one after another in pre-order: one array instead of two per node.
    std::vector<ExeResource*> entries;
    std::uint64_t dataStart = 0;
    std::uint64_t size = 0;
    // The bytes of leaves that do not come from the source's view (added bytes and files):
    // what the output is made of besides the source.
    std::uint64_t addedBytes = 0;
    // Set when the tree cannot be written: its counts would wrap in the directory header.
    std::optional<OverfullDirectory> overfull;
};

class ExeResource : public VantrixObject {
  public:
    static constexpr std::size_t kMaxNameBytes = kMaxResourceNameBytes;
    static constexpr int kMaxDepth = 16;
    /// Named and numeric entries of one directory are counted in 16 bits each.
    static constexpr std::uint32_t kMaxDirectoryEntries = 0xFFFF;

    explicit ExeResource(ExeImage* owner) : owner_(owner) {}

    /// Reads the tree whose root directory starts `section`, the resource section's bytes
    /// from the directory on, read from `sectionOffset` in the image's file; every offset
    /// inside the resource data is relative to it, and directories, entries and names are
    /// read only inside it. Leaf data elsewhere in the file is read afterwards, each byte once.
    /// Malformed parts are skipped and logged; the answer is null only when the root directory
    /// itself cannot be read. `sourceChanged` is set when the file became shorter meanwhile.
    static std::unique_ptr<ExeResource> Build(ExeImage& image,
                                              std::span<const std::uint8_t> section,
                                              std::size_t sectionOffset, LogBase* log,
                                              bool& sourceChanged);
    /// The tree of an image without resources: a root directory with no entries.
    static std::unique_ptr<ExeResource> EmptyRoot(ExeImage& image);

    /// Adds an RCDATA entry named `name` (ANSI, stored upper-cased) holding a copy of the
    /// bytes. False, with a log line, when the bytes are too many for a data entry, the name
    /// is too long or the tree has no directory where the entry belongs.
    bool AddBytes(std::string_view name, std::span<const std::uint8_t> bytes, LogBase* log);
    /// Adds an RCDATA entry whose bytes are read from `fileName` when the image is written.
    bool AddFile(std::string_view name, const XString& fileName, LogBase* log);
    /// Removes every named entry called `name` (in any case), at any level, with everything
    /// below it.
    void DeleteNamed(std::string_view name);
    /// The first leaf under a named entry called `name` (in any case); logs a miss when given
    /// a logger.
    std::optional<FoundResource> FindNamed(std::string_view name, LogBase* log) const;

    // Any resource by its type, name and language; called on the root. These keep one leaf
    // per key: the loader can only ever find one of them.

    /// Puts a copy of the bytes at `key`, replacing a leaf already there (and the same
    /// language under duplicate entries of that type and name). False, with a log line, when
    /// a text is too long, a directory is full or an entry on the way is not a directory.
    bool PutBytes(const ResourceKey& key, std::span<const std::uint8_t> bytes, LogBase* log);
    /// The same with bytes read from `fileName` when the image is written.
    bool PutFile(const ResourceKey& key, const XString& fileName, LogBase* log);
    /// The leaf of `type` (any type when none is given) and `name` in `language` (its first
    /// language when none is given), in directory order; null when there is none.
    const ExeResource* FindLeaf(const std::optional<ResourceId>& type, const ResourceId& name,
                                std::optional<std::uint16_t> language) const;
    /// Removes the leaves of `type` (every type when none is given) and `name` in `language`
    /// (every language when none is given); name and type directories left empty go too.
    /// Answers how many leaves were removed.
    std::uint32_t DeleteLeaves(const std::optional<ResourceId>& type, const ResourceId& name,
                               std::optional<std::uint16_t> language);
    /// Every leaf of the usual three levels (type, name, language), in directory order.
    std::vector<ResourceLeaf> Leaves() const;

    /// Freezes the write order and the sizes (file-backed entries take their file's size).
    ResourceLayout Plan();
    std::uint64_t SerializedSize() { return Plan().size; }
    /// Writes the section laid out by `layout` for the address `sectionRva`, then "X" bytes up
    /// to a multiple of `padTo`. False on a short write, an abort or an overfull directory.
    bool Serialize(const ResourceLayout& layout, ByteSink& out, std::uint32_t padTo,
                   std::uint32_t sectionRva, ProgressMonitor* progress, LogBase* log);

    // The node's state, for the tool, the tests and the component.
    bool IsDirectory() const { return isDirectory_; }
    bool IsNamed() const { return isNamed_; }
    /// The name in the ANSI code page, at most kMaxResourceNameBytes bytes.
    const std::string& Name() const { return name_; }
    /// The name as stored in the file (UTF-16), written back unchanged.
    const std::u16string& Name16() const { return name16_; }
    std::uint16_t Id() const { return id_; }
    bool IsFileBacked() const { return isFileBacked_; }
    const XString& FileName() const;
    bool OwnsData() const { return !owned_.empty(); }
    /// The leaf's bytes in memory (from the source view or an owned copy).
    std::span<const std::uint8_t> Data() const { return {data_, data_ ? size_ : 0}; }
    std::uint32_t Size() const { return size_; }
    const ResourceDataEntry& DataEntry() const { return dataEntry_; }
    const ResourceDirectoryHeader& Header() const { return header_; }
    const ExtPtrArray<ExeResource>& NamedChildren() const { return named_; }
    const ExtPtrArray<ExeResource>& NumericChildren() const { return numeric_; }
    std::uint32_t PaddingSize() const { return padding_; }
    std::uint32_t DirectoryOffset() const { return directoryOffset_; }
    std::uint32_t NameOffset() const { return nameOffset_; }
    std::uint32_t DataOffset() const { return dataOffset_; }
    std::uint32_t DataEntryOffset() const { return dataEntryOffset_; }

  private:
    friend class ResourceTreeReader;

    bool NameEquals(const ResourceQuery& query) const;
    ExeResource* FindCandidate(const ResourceQuery& query) const;
    void DeleteMatching(const ResourceQuery& query);
    ExeResource* TypeForAdding(LogBase* log, std::string_view name);
    ExeResource* AddEntry(std::string_view name, LogBase* log);
    ExeResource* PutLeaf(const ResourceKey& key, LogBase* log);
    bool FindLeafPlace(const ResourceKey& key, LeafPlace& place, LogBase* log);
    void MakeEmptyLeaf();
    void DropDuplicateLanguage(const ResourceKey& key, const ExeResource& kept);
    static bool StoreCopy(ExeResource* leaf, std::span<const std::uint8_t> bytes);
    static bool StoreFileName(ExeResource* leaf, const XString& fileName);
    ExeResource* DirectoryFor(const ResourceId& id);
    std::uint32_t DeleteLanguage(std::optional<std::uint16_t> language);
    void Count(TreeCounts& counts) const;
    void Place(ResourceLayout& layout, SortScratch& scratch, LayoutCursor& at);
    std::span<ExeResource* const> WrittenEntries(const ResourceLayout& layout) const;
    static bool WriteRecords(const ResourceLayout& layout, ByteSink& out, std::uint32_t sectionRva);
    bool WriteData(ByteSink& out, LogBase* log) const;
    bool CopyBackingFile(ByteSink& out, LogBase* log) const;

    ExeImage* owner_;
    // Offsets inside the section being written, filled by Plan.
    std::uint32_t directoryOffset_ = 0;
    std::uint32_t nameOffset_ = 0;
    std::uint32_t dataOffset_ = 0;
    std::uint32_t dataEntryOffset_ = 0;
    ResourceDataEntry dataEntry_;
    ResourceDirectoryHeader header_;
    std::uint32_t nameWord_ = 0;
    std::uint32_t offsetWord_ = 0;
    bool isDirectory_ = false;
    bool isFileBacked_ = false;
    std::unique_ptr<XString> fileName_;  // file-backed leaves only: keeps nodes small
    bool isNamed_ = false;
    std::string name_;
    std::u16string name16_;
    std::uint16_t id_ = 0;
    std::vector<std::uint8_t> owned_;
    const std::uint8_t* data_ = nullptr;
    std::uint32_t size_ = 0;
    std::uint32_t padding_ = 0;
    ExtPtrArray<ExeResource> named_;
    ExtPtrArray<ExeResource> numeric_;
    // Where this directory's written entries start in the current layout's entry array.
    std::uint32_t firstEntry_ = 0;
};

/// Logs why a tree with an overfull directory cannot be written.
void LogOverfullDirectory(const OverfullDirectory& directory, LogBase* log);

}  // namespace resmelder
