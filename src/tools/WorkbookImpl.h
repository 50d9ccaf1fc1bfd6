#pragma once

// Internals of Workbook shared by its source files; not part of the API.

#include <pugixml.hpp>

#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "tools/Workbook.h"
#include "tools/WorkbookPackage.h"

namespace zadaravod::workbook {

/// The name of an element or attribute without its namespace prefix.
inline std::string_view localName(const char* name) {
    const char* colon = std::strchr(name, ':');
    return colon ? std::string_view(colon + 1) : std::string_view(name);
}
inline std::string_view localName(const pugi::xml_node& n) { return localName(n.name()); }

/// The first child element with that local name.
inline pugi::xml_node childNamed(const pugi::xml_node& parent, std::string_view local) {
    for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling()) {
        if (c.type() == pugi::node_element && localName(c) == local) return c;
    }
    return {};
}

/// The first attribute with that local name.
inline pugi::xml_attribute attributeNamed(const pugi::xml_node& node, std::string_view local) {
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
        if (localName(a.name()) == local) return a;
    }
    return {};
}

/// Whether a relationship type ends with "/<kind>".
inline bool relationshipIs(std::string_view type, std::string_view kind) {
    return type.size() > kind.size() && type.substr(type.size() - kind.size()) == kind &&
           type[type.size() - kind.size() - 1] == '/';
}

/// An XML part loaded for reading or editing.
struct XmlPart {
    std::string name;
    pugi::xml_document doc;
    bool changed = false;
};

/// A worksheet with its rows indexed by number.
struct Sheet {
    std::string name;      ///< as the workbook names it
    std::string partName;  ///< "xl/worksheets/sheet1.xml"
    int index = 0;         ///< position among the workbook's sheets (localSheetId)
    XmlPart* part = nullptr;
    pugi::xml_node sheetData;
    std::string prefix;  ///< namespace prefix of the sheet's elements, with ":" or ""
    std::map<int, pugi::xml_node> rows;
};

struct Workbook::Impl {
    std::string displayName;
    Package package;
    std::string error;

    std::string workbookPartName;
    XmlPart* workbookPart = nullptr;
    std::string workbookRelsName;
    XmlPart* workbookRels = nullptr;

    struct SheetEntry {
        std::string name;
        std::string partName;  ///< "" for a chart sheet or a sheet without a part
    };
    std::vector<SheetEntry> sheets;
    std::vector<std::string> sharedStrings;

    std::map<std::string, std::unique_ptr<XmlPart>> parts;  ///< loaded, by part name
    std::map<std::string, std::unique_ptr<Sheet>> loadedSheets;
    std::set<std::string> removedParts;
    Sheet* current = nullptr;

    bool fail(std::string message) {
        error = std::move(message);
        return false;
    }

    /// Loads (once) and parses an XML part; nullptr with `error` set on failure.
    XmlPart* loadPart(const std::string& name);
    /// Loads (once) a worksheet and indexes its rows.
    Sheet* loadSheet(std::size_t sheetIndex);

    /// Row `row` of `sheet`, created in order when missing.
    pugi::xml_node rowNode(Sheet& sheet, int row);
    /// The cell element at (row, column); created in order when `create`.
    pugi::xml_node cellNode(Sheet& sheet, int row, int column, bool create);
    std::string textOf(const pugi::xml_node& cell) const;

    /// Row deletion on the current sheet (WorkbookRows.cpp).
    bool deleteRows(int first, int last);
    /// Leaves the calculation chain out of the package (a spreadsheet program
    /// rebuilds it); needed once formulas have moved or gone.
    void dropCalculationChain();
};

/// "worksheets/sheet1.xml" relative to the folder of "xl/workbook.xml" gives
/// "xl/worksheets/sheet1.xml"; "" when the target leaves the package.
std::string resolveTarget(const std::string& sourcePart, const std::string& target);
/// "xl/_rels/workbook.xml.rels" for "xl/workbook.xml".
std::string relationshipsPartOf(const std::string& part);

}  // namespace zadaravod::workbook
