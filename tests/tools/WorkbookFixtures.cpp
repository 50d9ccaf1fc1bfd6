#include "tools/WorkbookFixtures.h"

#include <zip.h>

#include <vector>

namespace zadaravod::test {

namespace {

const char* kMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const char* kRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

std::string readAll(zip_source_t* source) {
    std::string out;
    if (zip_source_open(source) < 0) return out;
    char buffer[65536];
    zip_int64_t n;
    while ((n = zip_source_read(source, buffer, sizeof buffer)) > 0) {
        out.append(buffer, static_cast<std::size_t>(n));
    }
    zip_source_close(source);
    return out;
}

}  // namespace

std::string makePackage(const Parts& parts) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_source_keep(source);
    zip_t* archive = zip_open_from_source(source, ZIP_TRUNCATE, &error);
    for (const auto& [name, content] : parts) {
        zip_source_t* part = zip_source_buffer(archive, content.data(), content.size(), 0);
        zip_file_add(archive, name.c_str(), part, ZIP_FL_ENC_UTF_8);
    }
    zip_close(archive);
    std::string bytes = readAll(source);
    zip_source_free(source);
    zip_error_fini(&error);
    return bytes;
}

Parts readPackage(const std::string& bytes) {
    Parts parts;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    zip_t* archive = source ? zip_open_from_source(source, ZIP_RDONLY, &error) : nullptr;
    if (!archive) {
        if (source) zip_source_free(source);
        zip_error_fini(&error);
        return parts;
    }
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t k = 0; k < count; ++k) {
        zip_stat_t st;
        zip_stat_index(archive, static_cast<zip_uint64_t>(k), 0, &st);
        zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(k), 0);
        std::string content(static_cast<std::size_t>(st.size), '\0');
        if (file) {
            zip_fread(file, content.data(), st.size);
            zip_fclose(file);
        }
        parts[st.name] = content;
    }
    zip_discard(archive);
    zip_error_fini(&error);
    return parts;
}

std::map<std::string, std::string> storedForms(const std::string& bytes) {
    std::map<std::string, std::string> forms;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    zip_t* archive = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (!archive) {
        zip_source_free(source);
        zip_error_fini(&error);
        return forms;
    }
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t k = 0; k < count; ++k) {
        zip_stat_t st;
        zip_stat_index(archive, static_cast<zip_uint64_t>(k), 0, &st);
        forms[st.name] = std::to_string(st.crc) + "/" + std::to_string(st.comp_size) + "/" +
                         std::to_string(st.comp_method);
    }
    zip_discard(archive);
    zip_error_fini(&error);
    return forms;
}

Parts workbookParts(const std::map<std::string, std::string>& sheets,
                    const std::string& definedNames, const std::string& sharedStrings) {
    Parts parts;
    std::string types =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" ContentType=\"application/"
        "vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
        "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/"
        "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>";
    parts["_rels/.rels"] =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"" +
        std::string(kRel) + "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>";
    std::string workbook =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
        "<workbook xmlns=\"" +
        std::string(kMain) + "\" xmlns:r=\"" + kRel + "\"><sheets>";
    std::string rels =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    int k = 1;
    for (const auto& [name, xml] : sheets) {
        const std::string id = std::to_string(k);
        workbook += "<sheet name=\"" + name + "\" sheetId=\"" + id + "\" r:id=\"rId" + id + "\"/>";
        rels += "<Relationship Id=\"rId" + id + "\" Type=\"" + kRel +
                "/worksheet\" Target=\"worksheets/sheet" + id + ".xml\"/>";
        types += "<Override PartName=\"/xl/worksheets/sheet" + id +
                 ".xml\" ContentType=\"application/"
                 "vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>";
        parts["xl/worksheets/sheet" + id + ".xml"] = xml;
        ++k;
    }
    workbook += "</sheets>" + definedNames + "</workbook>";
    if (!sharedStrings.empty()) {
        rels += "<Relationship Id=\"rIdS\" Type=\"" + std::string(kRel) +
                "/sharedStrings\" Target=\"sharedStrings.xml\"/>";
        parts["xl/sharedStrings.xml"] = sharedStrings;
    }
    rels += "</Relationships>";
    types += "</Types>";
    parts["xl/workbook.xml"] = workbook;
    parts["xl/_rels/workbook.xml.rels"] = rels;
    parts["[Content_Types].xml"] = types;
    parts["docProps/app.xml"] = "<Properties>untouched</Properties>";
    return parts;
}

std::string worksheetXml(const std::string& sheetData, const std::string& after,
                         const std::string& dimension) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
           "<worksheet xmlns=\"" +
           std::string(kMain) + "\" xmlns:r=\"" + kRel + "\">" +
           (dimension.empty() ? "" : "<dimension ref=\"" + dimension + "\"/>") + "<sheetData>" +
           sheetData + "</sheetData>" + after + "</worksheet>";
}

}  // namespace zadaravod::test
