#pragma once

#include <map>
#include <string>

namespace zadaravod::test {

/// Part name -> content, in the order a package lists them.
using Parts = std::map<std::string, std::string>;

/// A zip package of the given parts (deflated).
std::string makePackage(const Parts& parts);
/// The parts of a package, unpacked; empty when it cannot be read.
Parts readPackage(const std::string& bytes);
/// Part name -> CRC-32 and compressed size as stored, to tell stored bytes apart.
std::map<std::string, std::string> storedForms(const std::string& bytes);

/// The parts of a minimal workbook with one sheet per entry of `sheets`
/// (sheet name -> worksheet XML), a workbook part with `definedNames` (XML
/// of the element, or ""), and a shared string table of `sharedStrings`
/// (XML of the <sst> element, or "" for none).
Parts workbookParts(const std::map<std::string, std::string>& sheets,
                    const std::string& definedNames = "", const std::string& sharedStrings = "");

/// A worksheet part with that sheetData content and extra elements after it.
std::string worksheetXml(const std::string& sheetData, const std::string& after = "",
                         const std::string& dimension = "");

}  // namespace zadaravod::test
