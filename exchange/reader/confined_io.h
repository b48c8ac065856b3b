// The Open Asset Import Library's file access for an import: the model and
// the files it names, inside the model's folder only, read-only.
#pragma once

#include <assimp/IOSystem.hpp>

#include <string>

class ConfinedFiles : public Assimp::IOSystem {
public:
    // Files are opened in `folder` and below (openInsideFolder); with an
    // empty folder none is.
    // `model`, the file being read, is opened as the model, not as one it names.
    explicit ConfinedFiles(std::string folder, std::string model = {});

    bool Exists(const char* path) const override;
    char getOsSeparator() const override { return '/'; }
    Assimp::IOStream* Open(const char* path, const char* mode) override;
    void Close(Assimp::IOStream* stream) override;
    // The library may not create, change or delete anything.
    bool CreateDirectory(const std::string&) override { return false; }
    bool ChangeDirectory(const std::string&) override { return false; }
    bool DeleteFile(const std::string&) override { return false; }

    // Why the last file was refused; empty when none was.
    const std::string& lastRefusal() const { return refusal; }

private:
    std::string folder;
    std::string model;
    mutable std::string refusal;
};
