// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/CodecModule.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "codecs/CodecAbi.h"

namespace pixelary {

namespace {

constexpr const char* kInitEntry = "InitDll";
constexpr const char* kWrongName = "Wrong dll Name";
constexpr const char* kSystemLibraryFolders[] = {"/usr/local/lib/pixelary", "/usr/lib/pixelary"};

std::string WithSeparator(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

std::string UserDataFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && *data) return std::string(data) + "/Pixelary";
    const char* home = std::getenv("HOME");
    return home && *home ? std::string(home) + "/.local/share/Pixelary" : std::string();
}

}  // namespace

TCodecModule::~TCodecModule() {
    Unload();
}

void TCodecModule::Unload() {
    if (handle_) dlclose(handle_);
    handle_ = nullptr;
}

std::string TCodecModule::ProgramFolder() {
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : exe.parent_path().string();
}

std::vector<std::string> TCodecModule::SystemFolders() {
    std::vector<std::string> folders;
    const std::string user = UserDataFolder();
    if (!user.empty()) folders.push_back(user);
    for (const char* folder : kSystemLibraryFolders) folders.emplace_back(folder);
    const std::string program = ProgramFolder();
    folders.push_back(program);
    // Installed, the modules live in lib/pixelary beside the program's bin folder.
    if (!program.empty()) folders.push_back(program + "/../lib/pixelary");
    return folders;
}

std::vector<std::string> TCodecModule::CandidatePaths(const std::string& folder,
                                                      const std::string& name) {
    std::vector<std::string> paths;
    if (!folder.empty()) paths.push_back(WithSeparator(folder) + name);
    const std::string program = ProgramFolder();
    if (!program.empty()) paths.push_back(WithSeparator(program) + name);
    paths.push_back(name);
    for (const std::string& system : SystemFolders()) {
        const std::filesystem::path found = std::filesystem::path(WithSeparator(system) + name);
        std::error_code error;
        if (std::filesystem::exists(found, error)) {
            paths.push_back(found.string());
            paths.push_back(std::filesystem::path(found).replace_extension().string());
            break;
        }
    }
    return paths;
}

void TCodecModule::Load(const std::string& folder) {
    for (const std::string& path : CandidatePaths(folder, name_)) {
        // Modules stay mapped once loaded (RTLD_NODELETE): releasing a handle must never unmap
        // code that the codec libraries' exit handlers or a leak checker may still touch.
        handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        if (handle_) return;
    }
    throw EImageLibError("Can't load " + name_ +
                         ". Make sure its located in the application's searchpath.");
}

void TCodecModule::Initialise() {
    auto init = reinterpret_cast<PixInitDllFn>(dlsym(handle_, kInitEntry));
    PixSharedState state{};
    state.structSize = sizeof state;
    state.hostAbiVersion = PIX_CODEC_ABI_VERSION;
    const bool ok = init && init(nullptr, &state) > 0 &&
                    state.moduleAbiVersion == PIX_CODEC_ABI_VERSION &&
                    std::strncmp(state.moduleName, name_.c_str(), sizeof state.moduleName) == 0;
    if (!ok) {
        Unload();
        throw EImageLibError(kWrongName);
    }
}

void* TCodecModule::Bind(const std::string& folder, const std::string& entry) {
    if (!handle_) Load(folder);
    Initialise();
    void* address = dlsym(handle_, entry.c_str());
    if (!address) throw EImageLibError("Entry " + entry + " not found in " + name_);
    return address;
}

}  // namespace pixelary
