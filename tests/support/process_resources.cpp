#include "support/process_resources.h"

#include <unistd.h>
#include <xcb/res.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>

#include "platform/x11/x11_connection.h"

namespace glimtap::test {
namespace {

namespace fs = std::filesystem;

int CountEntries(const fs::path& folder) {
    return static_cast<int>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

void CountXResources(ProcessResources& counts) {
    platform::X11Connection connection;
    xcb_connection_t* c = connection.Get();
    // The connection just made is one of the clients, holding nothing yet.
    const platform::Reply<xcb_res_query_clients_reply_t> clients{
        xcb_res_query_clients_reply(c, xcb_res_query_clients(c), nullptr)};
    if (!clients) throw std::runtime_error("the X server has no X-Resource extension");
    counts.xClients = xcb_res_query_clients_clients_length(clients.get()) - 1;
    xcb_res_client_iterator_t client = xcb_res_query_clients_clients_iterator(clients.get());
    for (; client.rem > 0; xcb_res_client_next(&client)) {
        const platform::Reply<xcb_res_query_client_resources_reply_t> resources{
            xcb_res_query_client_resources_reply(
                c, xcb_res_query_client_resources(c, client.data->resource_base), nullptr)};
        if (!resources) continue;  // a client that left meanwhile
        xcb_res_type_iterator_t type = xcb_res_query_client_resources_types_iterator(resources.get());
        for (; type.rem > 0; xcb_res_type_next(&type)) counts.xResources += type.data->count;
    }
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const ProcessResources& r) {
    return out << r.threads << " threads, " << r.fileDescriptors << " descriptors, "
               << r.sharedSegments << " shared segments, " << r.xClients << " X clients with "
               << r.xResources << " resources";
}

// /proc/sysvipc/shm: a header line, then "key shmid perms size cpid lpid nattch ..." per segment.
std::vector<SharedSegment> SharedSegmentsOf(pid_t creator) {
    std::ifstream table("/proc/sysvipc/shm");
    if (!table) throw std::runtime_error("cannot read /proc/sysvipc/shm");
    std::string line;
    std::getline(table, line);
    std::vector<SharedSegment> segments;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        long key = 0;
        pid_t madeBy = 0, lastBy = 0;
        SharedSegment segment;
        fields >> key >> segment.id >> std::oct >> segment.mode >> std::dec >> segment.size >>
            madeBy >> lastBy >> segment.attached;
        if (fields && madeBy == creator) segments.push_back(segment);
    }
    return segments;
}

ProcessResources CountProcessResources() {
    ProcessResources counts;
    counts.threads = CountEntries("/proc/self/task");
    // Less the descriptor the listing itself holds open.
    counts.fileDescriptors = CountEntries("/proc/self/fd") - 1;
    counts.sharedSegments = static_cast<int>(SharedSegmentsOf(getpid()).size());
    CountXResources(counts);
    return counts;
}

int64_t ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stoll(line.substr(6));
    throw std::runtime_error("no VmRSS in /proc/self/status");
}

}  // namespace glimtap::test
