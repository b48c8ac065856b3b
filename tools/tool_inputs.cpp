#include "tools/tool_inputs.h"

#include <cerrno>
#include <cstring>

#include "core/file_bytes.h"
#include "core/options.h"

namespace {

std::string systemReason() { return errno != 0 ? std::string(" : ") + std::strerror(errno) : std::string(); }

void sayUnreadable(const std::string& path, std::ostream& err) {
    err << "kestrune-batch : lecture impossible de « " << path << " »" << systemReason() << "\n";
}

}  // namespace

void tellTagged(const std::string& lines, std::ostream& err) {
    for (size_t start = 0, end; start < lines.size(); start = end + 1) {
        end = lines.find('\n', start);
        if (end == std::string::npos) end = lines.size();
        err << "kestrune-batch : " << lines.substr(start, end - start) << "\n";
    }
}

std::optional<RemodelStep> remodelStepNamed(const std::string& name) {
    if (name == "bases") return optimizeBases;
    if (name == "triangles") return triangulateAll;
    if (name == "loop") return loopSubdivide;
    return std::nullopt;
}

bool remodelStepsNamed(const std::vector<std::string>& names, std::vector<RemodelStep>& steps,
                       std::string& unknown) {
    for (const std::string& name : names) {
        std::optional<RemodelStep> step = remodelStepNamed(name);
        if (!step) {
            unknown = name;
            return false;
        }
        steps.push_back(*step);
    }
    return true;
}

bool applySteps(const std::vector<RemodelStep>& steps, std::ostream& err) {
    for (RemodelStep step : steps) {
        RemodelStatus status = step();
        if (status != RemodelStatus::Done) {
            err << "kestrune-batch : " << remodelStatusText(status) << "\n";
            return false;
        }
    }
    return true;
}

bool readToolFile(const std::string& path, std::string& text, std::ostream& err) {
    errno = 0;
    if (readWholeFile(path, text)) return true;
    sayUnreadable(path, err);
    return false;
}

bool loadToolOptions(const std::string& file, bool windowFileWithout, int textureSize, int commonBase,
                     std::ostream& err) {
    if (!file.empty()) {
        std::string text;
        if (!readToolFile(file, text, err)) return false;
        options = parseOptionsText(text);
        clampOptions();
    } else if (windowFileWithout) {
        readOptions();
    } else {
        setDefaultOptions();
    }
    if (textureSize > 0) options.textureSize = textureSize;
    if (commonBase > 0) options.commonBase = commonBase;
    return true;
}
