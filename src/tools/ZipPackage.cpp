// libzadaravod_zip.so: workbook packages with libzip (PackageEngine.h).
#include <zip.h>

#include <memory>

#include "tools/PackageEngine.h"
#include "tools/WorkbookPackage.h"

namespace zadaravod::workbook {

namespace {

std::string zipReason(int code) {
    zip_error_t e;
    zip_error_init_with_code(&e, code);
    std::string text = zip_error_strerror(&e);
    zip_error_fini(&e);
    return text;
}

std::string zipReason(zip_error_t* e) { return e ? zip_error_strerror(e) : "unknown error"; }

std::string mebibytes(std::size_t bytes) { return std::to_string(bytes >> 20) + " MiB"; }

struct SourceDeleter {
    void operator()(zip_source_t* s) const { zip_source_free(s); }
};
using SourcePtr = std::unique_ptr<zip_source_t, SourceDeleter>;

/// Reads every byte of a source that holds a written package.
bool readSource(zip_source_t* source, std::string& out, std::string& error) {
    if (zip_source_open(source) < 0) {
        error = zipReason(zip_source_error(source));
        return false;
    }
    out.clear();
    char buffer[65536];
    for (;;) {
        const zip_int64_t n = zip_source_read(source, buffer, sizeof buffer);
        if (n < 0) {
            error = zipReason(zip_source_error(source));
            zip_source_close(source);
            return false;
        }
        if (n == 0) break;
        out.append(buffer, static_cast<std::size_t>(n));
    }
    zip_source_close(source);
    return true;
}

/// The package held in memory: bytes_ read through archive_.
class ZipPackage final : public PackageEngine {
  public:
    ZipPackage() = default;
    ~ZipPackage() override;
    ZipPackage(const ZipPackage&) = delete;
    ZipPackage& operator=(const ZipPackage&) = delete;

    bool open(std::string bytes, const std::string& displayName, std::string& error) override;
    bool has(const std::string& name) const override;
    const std::vector<std::string>& names() const override { return names_; }
    bool read(const std::string& name, std::string& content, std::string& error) override;
    bool write(const std::map<std::string, std::string>& replaced,
               const std::set<std::string>& removed, std::string& out,
               std::string& error) const override;

  private:
    long long locate(const std::string& name) const;

    std::string bytes_;
    std::string displayName_;
    ::zip* archive_ = nullptr;
    std::vector<std::string> names_;
    std::size_t bytesRead_ = 0;
};

ZipPackage::~ZipPackage() {
    if (archive_) zip_discard(archive_);
}

bool ZipPackage::open(std::string bytes, const std::string& displayName, std::string& error) {
    displayName_ = displayName;
    if (archive_) {
        zip_discard(archive_);
        archive_ = nullptr;
    }
    names_.clear();
    bytesRead_ = 0;
    if (bytes.size() > kMaxPackageBytes) {
        error = displayName_ + " is too large for a workbook (" + std::to_string(bytes.size()) +
                " bytes; at most " + mebibytes(kMaxPackageBytes) + ")";
        return false;
    }
    if (bytes.empty()) {
        error = displayName_ + " is empty: it is not a workbook (.xlsx)";
        return false;
    }
    bytes_ = std::move(bytes);
    zip_error_t zerr;
    zip_error_init(&zerr);
    zip_source_t* source = zip_source_buffer_create(bytes_.data(), bytes_.size(), 0, &zerr);
    if (!source) {
        error = displayName_ + " cannot be read: " + zipReason(&zerr);
        zip_error_fini(&zerr);
        return false;
    }
    archive_ = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &zerr);
    if (!archive_) {
        const int code = zip_error_code_zip(&zerr);
        zip_source_free(source);
        if (code == ZIP_ER_NOZIP) {
            error = displayName_ +
                    " is not a workbook (.xlsx): it is not a zip package, or it is cut short";
        } else {
            error = displayName_ + " is a damaged workbook: " + zipReason(&zerr);
        }
        zip_error_fini(&zerr);
        return false;
    }
    zip_error_fini(&zerr);
    const zip_int64_t count = zip_get_num_entries(archive_, 0);
    if (count == 0) {
        error = displayName_ + " is an empty package, not a workbook (.xlsx)";
        zip_discard(archive_);
        archive_ = nullptr;
        return false;
    }
    if (count < 0 || static_cast<std::size_t>(count) > kMaxEntries) {
        error = displayName_ + " holds " + std::to_string(count) +
                " parts; a workbook may hold at most " + std::to_string(kMaxEntries);
        zip_discard(archive_);
        archive_ = nullptr;
        return false;
    }
    names_.reserve(static_cast<std::size_t>(count));
    for (zip_int64_t k = 0; k < count; ++k) {
        const char* name = zip_get_name(archive_, static_cast<zip_uint64_t>(k), ZIP_FL_ENC_GUESS);
        names_.emplace_back(name ? name : "");
    }
    return true;
}

long long ZipPackage::locate(const std::string& name) const {
    if (!archive_) return -1;
    return zip_name_locate(archive_, name.c_str(), ZIP_FL_NOCASE | ZIP_FL_ENC_GUESS);
}

bool ZipPackage::has(const std::string& name) const { return locate(name) >= 0; }

bool ZipPackage::read(const std::string& name, std::string& content, std::string& error) {
    const std::string where = name + " in " + displayName_;
    const long long index = locate(name);
    if (index < 0) {
        error = displayName_ + " is not a complete workbook: the part " + name + " is missing";
        return false;
    }
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(archive_, static_cast<zip_uint64_t>(index), 0, &st) != 0) {
        error = where + " cannot be read: " + zipReason(zip_get_error(archive_));
        return false;
    }
    if ((st.valid & ZIP_STAT_SIZE) && st.size > kMaxPartBytes) {
        error = where + " claims " + std::to_string(st.size) + " bytes unpacked; a part may have " +
                "at most " + mebibytes(kMaxPartBytes);
        return false;
    }
    zip_file_t* file = zip_fopen_index(archive_, static_cast<zip_uint64_t>(index), 0);
    if (!file) {
        const zip_error_t* e = zip_get_error(archive_);
        const int code = zip_error_code_zip(e);
        if (code == ZIP_ER_NOPASSWD || code == ZIP_ER_WRONGPASSWD) {
            error = where + " is encrypted; save the workbook without a password";
        } else {
            error = where + " cannot be unpacked: " + zipReason(code);
        }
        return false;
    }
    content.clear();
    char buffer[65536];
    bool ok = true;
    for (;;) {
        const zip_int64_t n = zip_fread(file, buffer, sizeof buffer);
        if (n < 0) {
            error = where + " is damaged: " + zipReason(zip_file_get_error(file));
            ok = false;
            break;
        }
        if (n == 0) break;
        if (content.size() + static_cast<std::size_t>(n) > kMaxPartBytes) {
            error = where + " unpacks to more than " + mebibytes(kMaxPartBytes) +
                    ", more than a part may have";
            ok = false;
            break;
        }
        if (bytesRead_ + content.size() + static_cast<std::size_t>(n) > kMaxReadBytes) {
            error = displayName_ + " unpacks to more than " + mebibytes(kMaxReadBytes) +
                    " in all, more than a workbook may have";
            ok = false;
            break;
        }
        content.append(buffer, static_cast<std::size_t>(n));
    }
    zip_fclose(file);
    if (!ok) {
        content.clear();
        content.shrink_to_fit();
        return false;
    }
    bytesRead_ += content.size();
    return true;
}

bool ZipPackage::write(const std::map<std::string, std::string>& replaced,
                       const std::set<std::string>& removed, std::string& out,
                       std::string& error) const {
    if (!archive_) {
        error = "No workbook is open";
        return false;
    }
    // Part names compare without case.
    const auto lower = [](std::string s) {
        for (char& c : s) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        return s;
    };
    std::map<std::string, const std::string*> newContent;
    for (const auto& [name, content] : replaced) newContent[lower(name)] = &content;
    std::set<std::string> left;
    for (const auto& name : removed) left.insert(lower(name));

    // A new package in a fresh buffer: the stored parts are copied compressed
    // as they are, the replaced ones are packed anew.
    zip_error_t zerr;
    zip_error_init(&zerr);
    SourcePtr target(zip_source_buffer_create(nullptr, 0, 0, &zerr));
    if (!target) {
        error = "Cannot write the workbook: " + zipReason(&zerr);
        zip_error_fini(&zerr);
        return false;
    }
    zip_source_keep(target.get());  // the source outlives the archive: it holds the result
    zip_t* archive = zip_open_from_source(target.get(), ZIP_TRUNCATE, &zerr);
    if (!archive) {
        error = "Cannot write the workbook: " + zipReason(&zerr);
        zip_error_fini(&zerr);
        return false;
    }
    zip_error_fini(&zerr);
    auto fail = [&](const std::string& what) {
        error = "Cannot write the workbook (" + what + "): " + zipReason(zip_get_error(archive));
        zip_discard(archive);
        return false;
    };
    auto add = [&](const std::string& name, zip_source_t* part) {
        if (!part) return false;
        if (zip_file_add(archive, name.c_str(), part, ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(part);
            return false;
        }
        return true;
    };
    for (std::size_t k = 0; k < names_.size(); ++k) {
        const std::string key = lower(names_[k]);
        if (left.count(key)) continue;
        zip_source_t* part = nullptr;
        if (auto it = newContent.find(key); it != newContent.end()) {
            part = zip_source_buffer(archive, it->second->data(), it->second->size(), 0);
            newContent.erase(it);
        } else {
            part = zip_source_zip(archive, archive_, k, 0, 0, -1);
        }
        if (!add(names_[k], part)) return fail(names_[k]);
    }
    for (const auto& [name, content] : replaced) {
        if (!newContent.count(lower(name))) continue;  // replaced a stored part above
        if (!add(name, zip_source_buffer(archive, content.data(), content.size(), 0))) {
            return fail(name);
        }
    }
    if (zip_close(archive) != 0) return fail("packing");
    if (!readSource(target.get(), out, error)) {
        error = "Cannot write the workbook: " + error;
        return false;
    }
    return true;
}

PackageEngine* createPackage() { return new ZipPackage; }

constexpr ZipFunctions kFunctions{createPackage};

}  // namespace

}  // namespace zadaravod::workbook

extern "C" __attribute__((visibility("default"))) const zadaravod::workbook::ZipFunctions*
zadaravod_zip_module(int interfaceVersion) {
    using namespace zadaravod::workbook;
    return interfaceVersion == kPackageInterfaceVersion ? &kFunctions : nullptr;
}
