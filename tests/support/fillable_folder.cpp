#include "support/fillable_folder.h"

#include <sys/mount.h>
#include <sys/statvfs.h>

#include <cerrno>
#include <stdexcept>
#include <vector>

namespace glimtap::test {
std::string FullDiskName(const testing::TestParamInfo<FullDisk>& info) {
    return testing::PrintToString(info.param);
}

void PrintTo(FullDisk kind, std::ostream* out) {
    *out << (kind == FullDisk::kSmallTmpfs ? "SmallTmpfs" : "FileSizeLimit");
}

std::unique_ptr<FillableFolder> FillableFolder::Make(FullDisk kind) {
    std::unique_ptr<FillableFolder> folder(new FillableFolder(kind));
    if (kind == FullDisk::kSmallTmpfs && !folder->mounted_) return nullptr;
    return folder;
}

FillableFolder::FillableFolder(FullDisk kind) : kind_(kind) {
    if (kind == FullDisk::kSmallTmpfs) {
        mounted_ = mount("tmpfs", base_.path().c_str(), "tmpfs", MS_NOSUID | MS_NODEV | MS_NOEXEC,
                         "size=64k,mode=0700") == 0;
    }
    // The filler goes beside the folder, so the folder lists only what the test put there.
    folder_ = base_ / "folder";
    std::filesystem::create_directory(folder_);
}

FillableFolder::~FillableFolder() {
    if (limited_) setrlimit(RLIMIT_FSIZE, &savedLimit_), sigaction(SIGXFSZ, &savedAction_, nullptr);
    // Detached, so that nothing still open in it keeps it; the temporary folder goes next.
    if (mounted_) umount2(base_.path().c_str(), MNT_DETACH);
}

void FillableFolder::Fill(size_t room) {
    if (kind_ == FullDisk::kFileSizeLimit) {
        getrlimit(RLIMIT_FSIZE, &savedLimit_);
        // Ignored, the signal leaves the write to fail with EFBIG instead of ending the test.
        struct sigaction ignore{};
        ignore.sa_handler = SIG_IGN;
        sigaction(SIGXFSZ, &ignore, &savedAction_);
        rlimit limit = savedLimit_;
        limit.rlim_cur = room;
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) throw std::runtime_error("setrlimit failed");
        limited_ = true;
        return;
    }
    auto freeBytes = [this] {
        struct statvfs info{};
        if (statvfs(base_.path().c_str(), &info) != 0) throw std::runtime_error("statvfs failed");
        return static_cast<size_t>(info.f_bavail) * info.f_frsize;
    };
    const size_t page = 4096;
    const size_t left = room / page * page;
    const size_t before = freeBytes();
    if (before < left) throw std::runtime_error("the tmpfs is smaller than the room asked for");
    WriteFile(base_ / "filler", std::vector<uint8_t>(before - left, 0xA5));
    if (freeBytes() != left) throw std::runtime_error("the filler did not leave the room asked for");
}

int FillableFolder::NoRoomError() const { return kind_ == FullDisk::kSmallTmpfs ? ENOSPC : EFBIG; }

}  // namespace glimtap::test
