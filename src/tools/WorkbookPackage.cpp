#include "tools/WorkbookPackage.h"

#include "io/Modules.h"
#include "tools/PackageEngine.h"

namespace zadaravod::workbook {

namespace {

const ZipFunctions* zipModule(std::string& error) {
    static const LoadedModule<ZipFunctions> module = loadModule<ZipFunctions>(
        kZipModuleName, "zadaravod_zip_module", "workbook module", kPackageInterfaceVersion);
    error = module.error;
    return module.table;
}

const std::vector<std::string> kNoNames;

}  // namespace

Package::Package() = default;
Package::~Package() = default;

bool Package::open(std::string bytes, std::string displayName, std::string& error) {
    displayName_ = std::move(displayName);
    engine_.reset();
    std::string why;
    const ZipFunctions* zip = zipModule(why);
    if (zip == nullptr) {
        error = displayName_ + " cannot be read: " + why;
        return false;
    }
    engine_.reset(zip->createPackage());
    if (engine_->open(std::move(bytes), displayName_, error)) return true;
    engine_.reset();
    return false;
}

bool Package::has(const std::string& name) const { return engine_ && engine_->has(name); }

const std::vector<std::string>& Package::names() const {
    return engine_ ? engine_->names() : kNoNames;
}

bool Package::read(const std::string& name, std::string& content, std::string& error) {
    if (!engine_) {
        error = displayName_ + " is not a complete workbook: the part " + name + " is missing";
        return false;
    }
    return engine_->read(name, content, error);
}

bool Package::write(const std::map<std::string, std::string>& replaced,
                    const std::set<std::string>& removed, std::string& out,
                    std::string& error) const {
    if (!engine_) {
        error = "No workbook is open";
        return false;
    }
    return engine_->write(replaced, removed, out, error);
}

}  // namespace zadaravod::workbook
