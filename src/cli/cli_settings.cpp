#include <filesystem>
#include <utility>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/json_writer.h"
#include "cli/options.h"
#include "engine/data_file.h"
#include "engine/data_file_fields.h"
#include "platform/utf16.h"
#include "platform/backends.h"

namespace glimtap::cli {
namespace {

// Strings are shown as the bytes they stand for, so a folder name that is not UTF-8 shows
// as itself and can be set again.
struct Printer {
    std::ostream& out;
    bool json;
    JsonObject object;
    void Int32(const char* name, int32_t value) {
        if (json) object.Int(name, value);
        else out << name << '=' << value << '\n';
    }
    void String(const char* name, const std::u16string& value) { Path(name, ToPath(value)); }
    void Path(const char* name, const std::filesystem::path& value) {
        if (json) object.Text(name, PathString(value));
        else out << name << '=' << PathString(value) << '\n';
    }
};

// Applies one FIELD=VALUE to the field of that name.
struct Assignment {
    std::string_view name;
    std::string_view value;
    bool applied = false;
    template <typename Int>
    void Int32(const char* field, Int& target) {
        if (name != field) return;
        target = ParseFieldValue(value, field, field);
        applied = true;
    }
    void String(const char* field, std::u16string& target) {
        if (name != field) return;
        target = FromPath(PathFromString(value));
        applied = true;
    }
    void Path(const char* field, std::filesystem::path& target) {
        if (name != field) return;
        target = PathFromString(value);
        applied = true;
    }
};

}  // namespace

int RunSettings(std::span<char* const> args, std::ostream& out) {
    ArgumentList list(args);
    std::string path;
    bool json = false;
    std::vector<std::string_view> assignments;
    while (!list.Done()) {
        const std::string_view arg = list.Next();
        if (arg == "--json") {
            json = true;
        } else if (arg == "--set") {
            assignments.push_back(list.ValueOf(arg));
        } else if (arg.starts_with("--") || !path.empty()) {
            throw CliError("settings: unknown argument '" + std::string(arg) + "'");
        } else {
            path = arg;
        }
    }
    if (path.empty()) throw CliError("settings needs a data file");

    const std::filesystem::path file = PathFromString(path);
    DataFile data;
    std::error_code error;
    const bool exists = std::filesystem::exists(file, error);
    if (exists || assignments.empty()) {
        try {
            LoadDataFile(file, data);
        } catch (const DataFileError& e) {
            throw CliError(e.what());
        }
    } else {
        data.settings.ResetToDefaults(platform::OpenBackends()->Geometry());
    }

    if (!assignments.empty()) {
        for (const std::string_view assignment : assignments) {
            const size_t equals = assignment.find('=');
            if (equals == assignment.npos) {
                throw CliError("--set takes FIELD=VALUE, not '" + std::string(assignment) + "'");
            }
            Assignment apply{assignment.substr(0, equals), assignment.substr(equals + 1)};
            VisitStoredFields(apply, data);
            if (!apply.applied) {
                throw CliError("unknown field '" + std::string(apply.name) + "'");
            }
        }
        try {
            SaveDataFile(file, data);
        } catch (const DataFileError& e) {
            throw CliError(e.what());
        }
        return 0;
    }

    Printer printer{out, json, {}};
    VisitStoredFields(printer, std::as_const(data));
    if (json) out << printer.object.Close() << '\n';
    return 0;
}

}  // namespace glimtap::cli
