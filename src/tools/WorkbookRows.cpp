// Row deletion: everything that points at or below the deleted rows moves up,
// on the sheet itself, on the other sheets and in the workbook's names.
#include <algorithm>
#include <functional>

#include "tools/WorkbookImpl.h"

namespace zadaravod::workbook {

namespace {

/// Sheet elements whose content is anchored to rows in ways this engine does not move.
constexpr std::pair<std::string_view, std::string_view> kUnmovableElements[] = {
    {"drawing", "drawings or pictures"},
    {"legacyDrawing", "comments"},
    {"tableParts", "tables"},
    {"oleObjects", "embedded objects"},
    {"controls", "form controls"},
    {"customSheetViews", "custom views"},
    {"scenarios", "scenarios"},
    {"dataConsolidate", "a data consolidation"},
    {"smartTags", "smart tags"},
    {"webPublishItems", "web publishing items"},
    {"cellWatches", "cell watches"},
};

constexpr std::pair<std::string_view, std::string_view> kUnmovableRelationships[] = {
    {"pivotTable", "pivot tables"},
    {"comments", "comments"},
    {"threadedComment", "comments"},
    {"table", "tables"},
};

/// Whether an extension list holds cell ranges or formulas (extended
/// conditional formats, data validations, sparklines).
bool extensionHoldsRanges(const pugi::xml_node& extLst) {
    pugi::xml_node n = extLst.first_child();
    while (n && n != extLst) {
        const std::string_view name = localName(n);
        if (name == "sqref" || name == "f" || attributeNamed(n, "sqref") ||
            attributeNamed(n, "ref"))
            return true;
        if (n.first_child()) {
            n = n.first_child();
            continue;
        }
        while (n != extLst && !n.next_sibling()) n = n.parent();
        if (n != extLst) n = n.next_sibling();
    }
    return false;
}

/// Rows top..bottom of a range text; false when it is not a range of cells.
bool rangeRows(std::string_view range, int& top, int& bottom) {
    const std::size_t colon = range.find(':');
    const auto a = parseCellRef(range.substr(0, colon));
    const auto b = colon == std::string_view::npos ? a : parseCellRef(range.substr(colon + 1));
    if (!a || !b) return false;
    top = std::min(a->row, b->row);
    bottom = std::max(a->row, b->row);
    return true;
}

/// Collects the changes of one deletion before any is made, so that a refusal
/// leaves the workbook as it was.
struct DeletionPlan {
    FormulaShift shift;
    std::string refusal;
    std::vector<std::function<void()>> edits;     ///< texts and attributes
    std::vector<std::function<void()>> removals;  ///< elements, after the edits
    std::set<XmlPart*> touched;

    const RowDeletion& deletion() const { return shift.deletion; }

    void refuse(std::string what) {
        if (refusal.empty()) refusal = std::move(what);
    }

    void setText(XmlPart* part, pugi::xml_node node, std::string text) {
        edits.push_back([node, text = std::move(text)]() mutable { node.text() = text.c_str(); });
        touched.insert(part);
    }
    void setAttribute(XmlPart* part, pugi::xml_attribute a, std::string value) {
        edits.push_back([a, value = std::move(value)]() mutable { a = value.c_str(); });
        touched.insert(part);
    }
    void remove(XmlPart* part, pugi::xml_node node) {
        removals.push_back([node] { node.parent().remove_child(node); });
        touched.insert(part);
    }

    /// Queues the rewrite of a formula element's text.
    void formula(XmlPart* part, pugi::xml_node node, bool unqualifiedIsTarget) {
        FormulaShift s = shift;
        s.unqualifiedIsTarget = unqualifiedIsTarget;
        const ShiftedFormula r = shiftFormula(node.text().get(), s);
        if (!r.refusal.empty()) refuse(r.refusal);
        if (r.changed) setText(part, node, r.text);
    }

    /// Queues the move of a range-list attribute; true when something is left.
    bool rangeList(XmlPart* part, pugi::xml_attribute a) {
        const auto moved = shiftRangeList(a.value(), deletion());
        if (!moved) {
            refuse(std::string("a range \"") + a.value() + "\" that cannot be read");
            return true;
        }
        if (moved->empty()) return false;
        if (*moved != a.value()) setAttribute(part, a, *moved);
        return true;
    }

    void formulas(Sheet& sheet, bool isTarget);
    void rangesOfTarget(Sheet& sheet);
    void conditionsAndValidations(Sheet& sheet, bool isTarget);
};

void DeletionPlan::formulas(Sheet& sheet, bool isTarget) {
    const RowDeletion& del = deletion();
    for (const auto& [number, row] : sheet.rows) {
        // A formula in a deleted row goes with its row, unless it heads a
        // group of cells that reaches past the deletion.
        const bool deletedRow = isTarget && number >= del.first && number <= del.last;
        for (pugi::xml_node c = row.first_child(); c; c = c.next_sibling()) {
            pugi::xml_node f = childNamed(c, "f");
            if (!f || (deletedRow && !f.attribute("ref"))) continue;
            const std::string_view type = f.attribute("t").value();
            const std::string where =
                std::string(c.attribute("r").value()) + " of the sheet \"" + sheet.name + "\"";
            if (type == "dataTable") {
                refuse("a data table at " + where);
                continue;
            }
            pugi::xml_attribute ref = f.attribute("ref");
            if (type == "shared" && !ref) continue;  // follows its group's first cell
            if (type == "shared" || type == "array") {
                int top = 0, bottom = 0;
                if (!rangeRows(ref.value(), top, bottom)) {
                    refuse("a formula range \"" + std::string(ref.value()) + "\" at " + where);
                    continue;
                }
                const bool above = bottom < del.first;
                const bool below = top > del.last;
                const bool inside = top >= del.first && bottom <= del.last;
                if (isTarget && !above && !below && !inside) {
                    refuse(std::string(type == "shared" ? "a shared" : "an array") +
                           " formula over " + ref.value() + " on the sheet \"" + sheet.name +
                           "\" that the deletion cuts");
                    continue;
                }
                if (deletedRow) continue;
                if (type == "shared") {
                    // The other cells of the group offset the references of
                    // the first one: all of them must move alike.
                    FormulaShift s = shift;
                    s.unqualifiedIsTarget = isTarget;
                    const RowSpan span = rowsReferenced(f.text().get(), s);
                    const int reach = span.bottom + (bottom - top);
                    if (span.top != 0 && !(reach < del.first || span.top > del.last)) {
                        refuse("a shared formula over " + std::string(ref.value()) +
                               " on the sheet \"" + sheet.name +
                               "\" whose references the deletion cuts");
                        continue;
                    }
                }
                if (isTarget && below) {
                    setAttribute(sheet.part, ref, *shiftRange(ref.value(), del));
                }
            }
            if (deletedRow) continue;
            formula(sheet.part, f, isTarget);
        }
    }
}

void DeletionPlan::conditionsAndValidations(Sheet& sheet, bool isTarget) {
    pugi::xml_node root = sheet.part->doc.document_element();
    for (pugi::xml_node cf = root.first_child(); cf; cf = cf.next_sibling()) {
        if (localName(cf) != "conditionalFormatting") continue;
        if (isTarget && !rangeList(sheet.part, cf.attribute("sqref"))) {
            remove(sheet.part, cf);
            continue;
        }
        for (pugi::xml_node rule = cf.first_child(); rule; rule = rule.next_sibling()) {
            for (pugi::xml_node f = rule.first_child(); f; f = f.next_sibling()) {
                if (localName(f) == "formula") formula(sheet.part, f, isTarget);
            }
        }
    }
    pugi::xml_node validations = childNamed(root, "dataValidations");
    int kept = 0;
    for (pugi::xml_node dv = validations.first_child(); dv; dv = dv.next_sibling()) {
        if (localName(dv) != "dataValidation") continue;
        if (isTarget && !rangeList(sheet.part, dv.attribute("sqref"))) {
            remove(sheet.part, dv);
            continue;
        }
        ++kept;
        for (pugi::xml_node f = dv.first_child(); f; f = f.next_sibling()) {
            if (localName(f) == "formula1" || localName(f) == "formula2") {
                formula(sheet.part, f, isTarget);
            }
        }
    }
    if (validations && isTarget) {
        if (kept == 0) {
            remove(sheet.part, validations);
        } else if (pugi::xml_attribute count = validations.attribute("count")) {
            setAttribute(sheet.part, count, std::to_string(kept));
        }
    }
}

void DeletionPlan::rangesOfTarget(Sheet& sheet) {
    XmlPart* part = sheet.part;
    pugi::xml_node root = part->doc.document_element();
    const RowDeletion& del = deletion();

    // Lists of elements that each carry a range and go when it does.
    struct RangeList {
        std::string_view list, item, attribute;
        bool singleCellGoes;  ///< a merge of one cell is no merge
    };
    for (const RangeList& l : {RangeList{"mergeCells", "mergeCell", "ref", true},
                               RangeList{"hyperlinks", "hyperlink", "ref", false},
                               RangeList{"ignoredErrors", "ignoredError", "sqref", false},
                               RangeList{"protectedRanges", "protectedRange", "sqref", false}}) {
        pugi::xml_node list = childNamed(root, l.list);
        if (!list) continue;
        int kept = 0;
        for (pugi::xml_node item = list.first_child(); item; item = item.next_sibling()) {
            if (localName(item) != l.item) continue;
            pugi::xml_attribute a = item.attribute(std::string(l.attribute).c_str());
            const auto moved = shiftRangeList(a.value(), del);
            if (!moved) {
                refuse(std::string("a range \"") + a.value() + "\" that cannot be read");
                continue;
            }
            if (moved->empty() || (l.singleCellGoes && moved->find(':') == std::string::npos)) {
                remove(part, item);
                continue;
            }
            ++kept;
            if (*moved != a.value()) setAttribute(part, a, *moved);
        }
        if (kept == 0) {
            remove(part, list);
        } else if (pugi::xml_attribute count = list.attribute("count")) {
            setAttribute(part, count, std::to_string(kept));
        }
    }

    if (pugi::xml_node filter = childNamed(root, "autoFilter")) {
        const auto moved = shiftRange(filter.attribute("ref").value(), del);
        if (!moved || moved->empty()) {
            refuse("an auto filter over " + std::string(filter.attribute("ref").value()));
        } else {
            setAttribute(part, filter.attribute("ref"), *moved);
            if (pugi::xml_node sort = childNamed(filter, "sortState"))
                rangeList(part, sort.attribute("ref"));
        }
    }

    if (pugi::xml_node breaks = childNamed(root, "rowBreaks")) {
        int kept = 0;
        for (pugi::xml_node brk = breaks.first_child(); brk; brk = brk.next_sibling()) {
            if (localName(brk) != "brk") continue;
            const int row = del.shiftRow(brk.attribute("id").as_int());
            if (row == 0) {
                remove(part, brk);
                continue;
            }
            ++kept;
            setAttribute(part, brk.attribute("id"), std::to_string(row));
        }
        for (const char* name : {"count", "manualBreakCount"}) {
            if (pugi::xml_attribute a = breaks.attribute(name))
                setAttribute(part, a, std::to_string(kept));
        }
    }

    // Where the window shows and what it selects: deleted positions go to the
    // first row after the gap.
    const auto moveCell = [&](pugi::xml_attribute a) {
        const auto pos = parseCellRef(a.value());
        if (!pos) return;
        const int row = del.shiftRow(pos->row);
        setAttribute(part, a, formatCellRef({row == 0 ? del.first : row, pos->column}));
    };
    for (pugi::xml_node view : childNamed(root, "sheetViews").children()) {
        if (pugi::xml_node pane = childNamed(view, "pane")) moveCell(pane.attribute("topLeftCell"));
        for (pugi::xml_node sel = view.first_child(); sel; sel = sel.next_sibling()) {
            if (localName(sel) != "selection") continue;
            moveCell(sel.attribute("activeCell"));
            if (pugi::xml_attribute sq = sel.attribute("sqref")) {
                const auto moved = shiftRangeList(sq.value(), del);
                setAttribute(part, sq, moved && !moved->empty() ? *moved : std::string("A1"));
            }
        }
    }
}

/// Renumbers the rows and cells of the sheet and sets its dimension.
void moveRows(Sheet& sheet, const RowDeletion& del) {
    std::map<int, pugi::xml_node> rows;
    int minRow = 0, maxRow = 0, minColumn = 0, maxColumn = 0;
    for (const auto& [number, row] : sheet.rows) {
        const int moved = del.shiftRow(number);
        if (moved == 0) {
            sheet.sheetData.remove_child(row);
            continue;
        }
        rows.emplace(moved, row);
        if (moved != number) row.attribute("r") = moved;
        for (pugi::xml_node c = row.first_child(); c; c = c.next_sibling()) {
            if (localName(c) != "c") continue;
            const auto pos = parseCellRef(c.attribute("r").value());
            if (!pos) continue;
            if (moved != number) c.attribute("r") = formatCellRef({moved, pos->column}).c_str();
            minRow = minRow == 0 ? moved : std::min(minRow, moved);
            maxRow = std::max(maxRow, moved);
            minColumn = minColumn == 0 ? pos->column : std::min(minColumn, pos->column);
            maxColumn = std::max(maxColumn, pos->column);
        }
    }
    sheet.rows = std::move(rows);
    if (pugi::xml_node dimension = childNamed(sheet.part->doc.document_element(), "dimension")) {
        std::string ref = "A1";
        if (minRow != 0) {
            ref = formatCellRef({minRow, minColumn});
            if (minRow != maxRow || minColumn != maxColumn)
                ref += ":" + formatCellRef({maxRow, maxColumn});
        }
        pugi::xml_attribute a = dimension.attribute("ref");
        if (!a) a = dimension.append_attribute("ref");
        a = ref.c_str();
    }
}

}  // namespace

void Workbook::Impl::dropCalculationChain() {
    if (!workbookRels) return;
    for (pugi::xml_node r : workbookRels->doc.document_element().children()) {
        if (!relationshipIs(r.attribute("Type").value(), "calcChain")) continue;
        const std::string target = resolveTarget(workbookPartName, r.attribute("Target").value());
        workbookRels->doc.document_element().remove_child(r);
        workbookRels->changed = true;
        removedParts.insert(target);
        const std::string saved = error;
        if (XmlPart* types = loadPart("[Content_Types].xml")) {
            for (pugi::xml_node o : types->doc.document_element().children()) {
                if (localName(o) == "Override" &&
                    resolveTarget("", o.attribute("PartName").value()) == target) {
                    types->doc.document_element().remove_child(o);
                    types->changed = true;
                    break;
                }
            }
        }
        error = saved;
        return;
    }
}

bool Workbook::Impl::deleteRows(int first, int last) {
    if (!current) return fail("No sheet of " + displayName + " is selected");
    const std::string what = "Cannot delete rows " + std::to_string(first) + ".." +
                             std::to_string(last) + " of the sheet \"" + current->name + "\" in " +
                             displayName;
    if (first < 1 || last < first || last > kMaxRow) return fail(what + ": no such rows");
    Sheet& sheet = *current;
    DeletionPlan plan;
    plan.shift.deletion = {first, last};
    plan.shift.sheetName = sheet.name;

    pugi::xml_node root = sheet.part->doc.document_element();
    for (const auto& [element, description] : kUnmovableElements) {
        if (childNamed(root, element)) plan.refuse(std::string(description));
    }
    if (pugi::xml_node ext = childNamed(root, "extLst"); ext && extensionHoldsRanges(ext)) {
        plan.refuse("extended conditional formats or data validations");
    }
    const std::string sheetRels = relationshipsPartOf(sheet.partName);
    if (package.has(sheetRels)) {
        XmlPart* rels = loadPart(sheetRels);
        if (!rels) return false;
        for (pugi::xml_node r : rels->doc.document_element().children()) {
            for (const auto& [type, description] : kUnmovableRelationships) {
                if (relationshipIs(r.attribute("Type").value(), type))
                    plan.refuse(std::string(description));
            }
        }
    }
    for (const std::string& name : package.names()) {
        if (name.rfind("xl/charts/", 0) == 0) plan.refuse("charts (" + name + ")");
        if (name.rfind("xl/pivotCache/", 0) == 0) plan.refuse("pivot tables (" + name + ")");
    }

    plan.formulas(sheet, true);
    plan.conditionsAndValidations(sheet, true);
    plan.rangesOfTarget(sheet);
    for (std::size_t k = 0; k < sheets.size(); ++k) {
        if (sheets[k].partName.empty() || sheets[k].partName == sheet.partName ||
            !package.has(sheets[k].partName)) {
            continue;
        }
        Sheet* other = loadSheet(k);
        if (!other) return false;
        plan.formulas(*other, false);
        plan.conditionsAndValidations(*other, false);
    }
    if (pugi::xml_node names = childNamed(workbookPart->doc.document_element(), "definedNames")) {
        for (pugi::xml_node n = names.first_child(); n; n = n.next_sibling()) {
            if (localName(n) != "definedName") continue;
            const pugi::xml_attribute local = n.attribute("localSheetId");
            plan.formula(workbookPart, n, local && local.as_int(-1) == sheet.index);
        }
    }
    if (!plan.refusal.empty()) {
        return fail(what + ": it holds " + plan.refusal +
                    ", which this program cannot move. Remove it from the workbook and try again.");
    }

    for (auto& edit : plan.edits) edit();
    for (auto& removal : plan.removals) removal();
    moveRows(sheet, plan.deletion());
    for (XmlPart* part : plan.touched) part->changed = true;
    sheet.part->changed = true;
    dropCalculationChain();
    return true;
}

}  // namespace zadaravod::workbook
