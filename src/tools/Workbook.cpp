#include "tools/Workbook.h"

#include <charconv>
#include <cmath>

#include "io/AtomicFile.h"
#include "tools/CellText.h"
#include "tools/WorkbookImpl.h"

namespace zadaravod::workbook {

namespace {

constexpr int kMaxXmlDepth = 256;
constexpr double kMaxRowHeight = 409.0;

struct StringWriter : pugi::xml_writer {
    std::string& out;
    explicit StringWriter(std::string& o) : out(o) {}
    void write(const void* data, std::size_t size) override {
        out.append(static_cast<const char*>(data), size);
    }
};

/// Whether some element lies deeper than kMaxXmlDepth. Iterative, so that a
/// hostile part cannot exhaust the stack.
bool tooDeep(const pugi::xml_document& doc) {
    pugi::xml_node n = doc.first_child();
    int depth = 1;
    while (n) {
        if (depth > kMaxXmlDepth) return true;
        if (pugi::xml_node c = n.first_child()) {
            n = c;
            ++depth;
            continue;
        }
        while (n != doc && !n.next_sibling()) {
            n = n.parent();
            --depth;
        }
        if (n == doc) break;
        n = n.next_sibling();
    }
    return false;
}

int columnOf(const pugi::xml_node& cell) {
    const auto pos = parseCellRef(cell.attribute("r").value());
    return pos ? pos->column : 0;
}

std::string formatNumber(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

}  // namespace

std::string relationshipsPartOf(const std::string& part) {
    const std::size_t slash = part.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : part.substr(0, slash + 1);
    const std::string file = slash == std::string::npos ? part : part.substr(slash + 1);
    return folder + "_rels/" + file + ".rels";
}

std::string resolveTarget(const std::string& sourcePart, const std::string& target) {
    std::vector<std::string> segments;
    std::string path = target;
    if (!path.empty() && path.front() == '/') {
        path.erase(0, 1);
    } else {
        const std::size_t slash = sourcePart.rfind('/');
        if (slash != std::string::npos) path = sourcePart.substr(0, slash + 1) + path;
    }
    std::size_t i = 0;
    while (i <= path.size()) {
        std::size_t e = path.find('/', i);
        if (e == std::string::npos) e = path.size();
        const std::string segment = path.substr(i, e - i);
        if (segment == "..") {
            if (segments.empty()) return {};
            segments.pop_back();
        } else if (!segment.empty() && segment != ".") {
            segments.push_back(segment);
        }
        i = e + 1;
    }
    std::string out;
    for (const auto& s : segments) out += (out.empty() ? "" : "/") + s;
    return out;
}

XmlPart* Workbook::Impl::loadPart(const std::string& name) {
    if (auto it = parts.find(name); it != parts.end()) return it->second.get();
    std::string content;
    if (!package.read(name, content, error)) return nullptr;
    auto part = std::make_unique<XmlPart>();
    part->name = name;
    const unsigned options =
        pugi::parse_default | pugi::parse_declaration | pugi::parse_ws_pcdata_single;
    const pugi::xml_parse_result result =
        part->doc.load_buffer(content.data(), content.size(), options);
    if (!result) {
        error = name + " in " + displayName + " is not valid XML (at byte " +
                std::to_string(result.offset) + ": " + result.description() + ")";
        return nullptr;
    }
    if (tooDeep(part->doc)) {
        error = name + " in " + displayName + " nests its elements more than " +
                std::to_string(kMaxXmlDepth) + " levels deep";
        return nullptr;
    }
    XmlPart* raw = part.get();
    parts.emplace(name, std::move(part));
    return raw;
}

Sheet* Workbook::Impl::loadSheet(std::size_t sheetIndex) {
    const SheetEntry& entry = sheets[sheetIndex];
    if (auto it = loadedSheets.find(entry.partName); it != loadedSheets.end()) {
        return it->second.get();
    }
    XmlPart* part = loadPart(entry.partName);
    if (!part) return nullptr;
    const std::string where = entry.partName + " in " + displayName;
    pugi::xml_node root = part->doc.document_element();
    if (localName(root) != "worksheet") {
        error = where + " is not a worksheet (its root element is <" + root.name() + ">)";
        return nullptr;
    }
    auto sheet = std::make_unique<Sheet>();
    sheet->name = entry.name;
    sheet->partName = entry.partName;
    sheet->index = static_cast<int>(sheetIndex);
    sheet->part = part;
    const std::string_view rootName = root.name();
    sheet->prefix = std::string(rootName.substr(0, rootName.size() - localName(root).size()));
    sheet->sheetData = childNamed(root, "sheetData");
    if (!sheet->sheetData) {
        error = where + " has no cell data (no <sheetData> element)";
        return nullptr;
    }
    int previousRow = 0;
    for (pugi::xml_node row = sheet->sheetData.first_child(); row; row = row.next_sibling()) {
        if (row.type() != pugi::node_element || localName(row) != "row") continue;
        int number = previousRow + 1;
        if (pugi::xml_attribute r = row.attribute("r")) {
            number = r.as_int(0);
            if (number < 1 || number > kMaxRow) {
                error = where + " has a row numbered \"" + r.value() + "\", outside the sheet";
                return nullptr;
            }
        }
        if (number <= previousRow) {
            error = where + " lists row " + std::to_string(number) + " out of order";
            return nullptr;
        }
        if (!row.attribute("r")) row.append_attribute("r") = number;
        previousRow = number;
        int previousColumn = 0;
        for (pugi::xml_node c = row.first_child(); c; c = c.next_sibling()) {
            if (c.type() != pugi::node_element || localName(c) != "c") continue;
            CellPos pos{number, previousColumn + 1};
            if (pugi::xml_attribute r = c.attribute("r")) {
                const auto parsed = parseCellRef(r.value());
                if (!parsed) {
                    error = where + " has a cell reference \"" + r.value() + "\" outside the sheet";
                    return nullptr;
                }
                pos = *parsed;
            }
            if (pos.row != number || pos.column <= previousColumn || pos.column > kMaxColumn) {
                error = where + " has the cell " +
                        (pos.column <= kMaxColumn ? formatCellRef(pos) : "?") +
                        " out of place in row " + std::to_string(number);
                return nullptr;
            }
            if (!c.attribute("r")) c.append_attribute("r") = formatCellRef(pos).c_str();
            previousColumn = pos.column;
        }
        sheet->rows.emplace(number, row);
    }
    Sheet* raw = sheet.get();
    loadedSheets.emplace(entry.partName, std::move(sheet));
    return raw;
}

pugi::xml_node Workbook::Impl::rowNode(Sheet& sheet, int row) {
    if (auto it = sheet.rows.find(row); it != sheet.rows.end()) return it->second;
    auto next = sheet.rows.upper_bound(row);
    pugi::xml_node node =
        next == sheet.rows.end()
            ? sheet.sheetData.append_child((sheet.prefix + "row").c_str())
            : sheet.sheetData.insert_child_before((sheet.prefix + "row").c_str(), next->second);
    node.append_attribute("r") = row;
    sheet.rows.emplace(row, node);
    return node;
}

pugi::xml_node Workbook::Impl::cellNode(Sheet& sheet, int row, int column, bool create) {
    pugi::xml_node rowElement;
    if (auto it = sheet.rows.find(row); it != sheet.rows.end()) {
        rowElement = it->second;
    } else if (create) {
        rowElement = rowNode(sheet, row);
    } else {
        return {};
    }
    pugi::xml_node before;
    for (pugi::xml_node c = rowElement.first_child(); c; c = c.next_sibling()) {
        if (c.type() != pugi::node_element || localName(c) != "c") continue;
        const int at = columnOf(c);
        if (at == column) return c;
        if (at > column) {
            before = c;
            break;
        }
    }
    if (!create) return {};
    const std::string name = sheet.prefix + "c";
    pugi::xml_node cell = before ? rowElement.insert_child_before(name.c_str(), before)
                                 : rowElement.append_child(name.c_str());
    cell.append_attribute("r") = formatCellRef({row, column}).c_str();
    // A new cell takes the style its row or column gives to empty cells.
    const char* style = nullptr;
    if (rowElement.attribute("customFormat").as_bool() && rowElement.attribute("s")) {
        style = rowElement.attribute("s").value();
    } else if (pugi::xml_node cols = childNamed(sheet.part->doc.document_element(), "cols")) {
        for (pugi::xml_node col = cols.first_child(); col; col = col.next_sibling()) {
            if (localName(col) == "col" && col.attribute("min").as_int() <= column &&
                column <= col.attribute("max").as_int() && col.attribute("style")) {
                style = col.attribute("style").value();
                break;
            }
        }
    }
    if (style && std::string_view(style) != "0") cell.append_attribute("s") = style;
    rowElement.remove_attribute("spans");  // a hint that a new cell may contradict
    return cell;
}

std::string Workbook::Impl::textOf(const pugi::xml_node& cell) const {
    const std::string_view type = cell.attribute("t").value();
    if (type == "inlineStr") {
        pugi::xml_node is = childNamed(cell, "is");
        std::string text;
        for (pugi::xml_node n = is.first_child(); n; n = n.next_sibling()) {
            if (localName(n) == "t") text += n.text().get();
            if (localName(n) == "r") text += childNamed(n, "t").text().get();
        }
        return decodeCellText(text);
    }
    const std::string value = childNamed(cell, "v").text().get();
    if (type == "s") {
        const auto* begin = value.data();
        std::size_t index = 0;
        const auto parsed = std::from_chars(begin, begin + value.size(), index);
        if (parsed.ec != std::errc() || index >= sharedStrings.size()) return {};
        return sharedStrings[index];
    }
    if (type == "b") return value == "1" ? "TRUE" : "FALSE";
    return value;
}

Workbook::Workbook() : d(std::make_unique<Impl>()) {}
Workbook::~Workbook() = default;

const std::string& Workbook::errorString() const { return d->error; }

bool Workbook::open(const std::filesystem::path& path) {
    std::string bytes;
    std::string error;
    if (!readWholeFile(path, bytes, error, kMaxPackageBytes)) return d->fail(error);
    return openBytes(std::move(bytes), path.string());
}

bool Workbook::openBytes(std::string bytes, const std::string& displayName) {
    d = std::make_unique<Impl>();
    Impl& m = *d;
    m.displayName = displayName;
    if (!m.package.open(std::move(bytes), displayName, m.error)) return false;

    // The package's relationships name the workbook part.
    XmlPart* rootRels = m.loadPart("_rels/.rels");
    if (!rootRels) return false;
    for (pugi::xml_node r : rootRels->doc.document_element().children()) {
        if (localName(r) == "Relationship" &&
            relationshipIs(r.attribute("Type").value(), "officeDocument")) {
            m.workbookPartName = resolveTarget("", r.attribute("Target").value());
            break;
        }
    }
    if (m.workbookPartName.empty()) {
        return m.fail(displayName + " is not a workbook: _rels/.rels names no main document");
    }
    m.workbookPart = m.loadPart(m.workbookPartName);
    if (!m.workbookPart) return false;
    m.workbookRelsName = relationshipsPartOf(m.workbookPartName);
    m.workbookRels = m.loadPart(m.workbookRelsName);
    if (!m.workbookRels) return false;

    std::map<std::string, std::string> targets;  // relationship id -> part
    std::string sharedStringsPart;
    for (pugi::xml_node r : m.workbookRels->doc.document_element().children()) {
        if (localName(r) != "Relationship") continue;
        if (std::string_view(r.attribute("TargetMode").value()) == "External") continue;
        const std::string target = resolveTarget(m.workbookPartName, r.attribute("Target").value());
        if (relationshipIs(r.attribute("Type").value(), "worksheet")) {
            targets[r.attribute("Id").value()] = target;
        }
        if (relationshipIs(r.attribute("Type").value(), "sharedStrings"))
            sharedStringsPart = target;
    }
    pugi::xml_node sheetsNode = childNamed(m.workbookPart->doc.document_element(), "sheets");
    for (pugi::xml_node s = sheetsNode.first_child(); s; s = s.next_sibling()) {
        if (localName(s) != "sheet") continue;
        Impl::SheetEntry entry;
        entry.name = s.attribute("name").value();
        auto it = targets.find(attributeNamed(s, "id").value());
        if (it != targets.end()) entry.partName = it->second;
        m.sheets.push_back(entry);
    }
    if (m.sheets.empty()) return m.fail(displayName + " is not a workbook: it lists no sheets");

    if (!sharedStringsPart.empty() && m.package.has(sharedStringsPart)) {
        XmlPart* sst = m.loadPart(sharedStringsPart);
        if (!sst) return false;
        for (pugi::xml_node si : sst->doc.document_element().children()) {
            if (localName(si) != "si") continue;
            std::string text;
            for (pugi::xml_node n = si.first_child(); n; n = n.next_sibling()) {
                if (localName(n) == "t") text += n.text().get();
                if (localName(n) == "r") text += childNamed(n, "t").text().get();
            }
            m.sharedStrings.push_back(decodeCellText(text));
        }
    }
    return true;
}

bool Workbook::selectSheet(const std::string& name) {
    Impl& m = *d;
    for (std::size_t k = 0; k < m.sheets.size(); ++k) {
        if (m.sheets[k].name != name) continue;
        if (m.sheets[k].partName.empty() || !m.package.has(m.sheets[k].partName)) {
            return m.fail(
                "The sheet \"" + name + "\" of " + m.displayName + " has no worksheet part (" +
                (m.sheets[k].partName.empty() ? "no relationship" : m.sheets[k].partName) + ")");
        }
        Sheet* sheet = m.loadSheet(k);
        if (!sheet) return false;
        m.current = sheet;
        return true;
    }
    return m.fail(m.displayName + " has no sheet named \"" + name + "\"");
}

std::string Workbook::cellText(int row, int column) const {
    if (!d->current || row < 1 || row > kMaxRow || column < 1 || column > kMaxColumn) return {};
    const pugi::xml_node cell = d->cellNode(*d->current, row, column, false);
    return cell ? d->textOf(cell) : std::string();
}

std::optional<CellPos> Workbook::find(const std::string& text, int columns) const {
    if (!d->current) return std::nullopt;
    for (const auto& [number, row] : d->current->rows) {
        for (pugi::xml_node c = row.first_child(); c; c = c.next_sibling()) {
            if (c.type() != pugi::node_element || localName(c) != "c") continue;
            const int column = columnOf(c);
            if (column > columns) break;
            if (d->textOf(c) == text) return CellPos{number, column};
        }
    }
    return std::nullopt;
}

bool Workbook::setCellText(int row, int column, const std::string& text) {
    Impl& m = *d;
    if (!m.current) return m.fail("No sheet of " + m.displayName + " is selected");
    if (row < 1 || row > kMaxRow || column < 1 || column > kMaxColumn) {
        return m.fail("The cell (" + std::to_string(row) + ", " + std::to_string(column) +
                      ") lies outside the sheet");
    }
    const EncodedCellText encoded = encodeCellText(text);
    if (encoded.utf16Length > kMaxCellTextLength) {
        return m.fail("The text for cell " + formatCellRef({row, column}) + " has " +
                      std::to_string(encoded.utf16Length) + " characters; a cell holds at most " +
                      std::to_string(kMaxCellTextLength));
    }
    pugi::xml_node cell = m.cellNode(*m.current, row, column, true);
    const std::string prefix = m.current->prefix;
    bool hadFormula = false;
    for (pugi::xml_node c = cell.first_child(); c;) {
        pugi::xml_node next = c.next_sibling();
        if (localName(c) == "f") hadFormula = true;
        if (localName(c) != "extLst") cell.remove_child(c);
        c = next;
    }
    cell.remove_attribute("cm");
    cell.remove_attribute("vm");
    pugi::xml_attribute type = cell.attribute("t");
    if (!type) type = cell.append_attribute("t");
    type = "inlineStr";
    pugi::xml_node is = cell.prepend_child((prefix + "is").c_str());
    pugi::xml_node t = is.append_child((prefix + "t").c_str());
    t.append_attribute("xml:space") = "preserve";
    t.text() = encoded.text.c_str();
    if (hadFormula) m.dropCalculationChain();
    m.current->part->changed = true;
    return true;
}

bool Workbook::setRowHeight(int row, double points) {
    Impl& m = *d;
    if (!m.current) return m.fail("No sheet of " + m.displayName + " is selected");
    if (row < 1 || row > kMaxRow) {
        return m.fail("Row " + std::to_string(row) + " lies outside the sheet");
    }
    if (!(points >= 0 && points <= kMaxRowHeight)) {
        return m.fail("A row height must lie between 0 and 409 points");
    }
    pugi::xml_node node = m.rowNode(*m.current, row);
    pugi::xml_attribute ht = node.attribute("ht");
    if (!ht) ht = node.append_attribute("ht");
    ht = formatNumber(points).c_str();
    pugi::xml_attribute custom = node.attribute("customHeight");
    if (!custom) custom = node.append_attribute("customHeight");
    custom = "1";
    m.current->part->changed = true;
    return true;
}

std::optional<double> Workbook::rowHeight(int row) const {
    if (!d->current) return std::nullopt;
    auto it = d->current->rows.find(row);
    if (it == d->current->rows.end() || !it->second.attribute("ht")) return std::nullopt;
    return it->second.attribute("ht").as_double();
}

bool Workbook::deleteRows(int first, int last) { return d->deleteRows(first, last); }

bool Workbook::saveToBytes(std::string& out) {
    Impl& m = *d;
    std::map<std::string, std::string> replaced;
    for (const auto& [name, part] : m.parts) {
        if (!part->changed || m.removedParts.count(name)) continue;
        std::string text;
        StringWriter writer(text);
        part->doc.save(writer, "", pugi::format_raw | pugi::format_no_declaration,
                       pugi::encoding_utf8);
        replaced.emplace(name, std::move(text));
    }
    return m.package.write(replaced, m.removedParts, out, m.error);
}

bool Workbook::saveAs(const std::filesystem::path& path) {
    std::string bytes;
    if (!saveToBytes(bytes)) return false;
    const std::string error = writeFileAtomically(
        path, {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
    if (!error.empty()) return d->fail(error);
    return true;
}

}  // namespace zadaravod::workbook
