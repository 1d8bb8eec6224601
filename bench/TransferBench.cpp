// A download through the terminal's receive path: the MLINK header, then 16 MiB of data in
// 4096-byte notifications written to DOWNLOAD, against plain writes of the same blocks to
// a file in the same folder.
#include "base/ErrorLog.h"
#include "base/LineFile.h"
#include "base/VirtualLoop.h"
#include "bench/Bench.h"
#include "bench/NullHosts.h"
#include "engine/VazevModel.h"
#include "macro/MacroModel.h"
#include "shell/NetList.h"
#include "transfer/EngineTransfer.h"

#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

constexpr size_t kSize = 16u << 20;
constexpr size_t kBlock = 4096;

struct Rig : bench::EngineRig {
    transfer::EngineTransfer transfer;

    explicit Rig(const std::string& folder) : EngineRig(folder, true), transfer(model, folder) {
        model.setTransfer(&transfer);
    }
    bool download(const std::string& data) {
        transfer.startDownload();
        loop.advance(transfer::MlinkModel::kDownloadPauseMs);
        model.Comm1CommReceive("BENCH.BIN " + std::to_string(data.size()) + " 26:12:02 12:00:00\r");
        for (size_t at = 0; at < data.size(); at += kBlock)
            model.Comm1CommReceive(std::string_view(data).substr(at, kBlock));
        return !transfer.model().busy() && model.ReceiveMode() == 0;
    }
};

} // namespace

int main() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "tarno-bench-XXXXXX").string();
    if (!::mkdtemp(tmpl.data()))
        return 1;
    int rc = 0;
    {
        Rig rig(tmpl);
        std::string data(kSize, '\0');
        for (size_t i = 0; i < data.size(); ++i)
            data[i] = static_cast<char>(i * 131 + (i >> 12));
        bool ok = true;
        const double transfer = bench::bestSeconds(3, [&] { ok = rig.download(data) && ok; });
        const std::string plainPath = tmpl + "/plain.bin";
        const double plain = bench::bestSeconds(3, [&] {
            const int fd = ::open(plainPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            for (size_t at = 0; at < data.size(); at += kBlock)
                if (::write(fd, data.data() + at, kBlock) < 0)
                    break;
            ::fsync(fd);
            ::close(fd);
        });
        if (!ok || base::readFile(tmpl + "/DOWNLOAD/BENCH.BIN") != data) {
            std::fprintf(stderr, "bench_transfer: the download did not arrive whole\n");
            rc = 1;
        }
        bench::report("download_receive_path", static_cast<double>(kSize) / 1e6 / transfer, "MB/s",
                      plain / transfer);
    }
    std::filesystem::remove_all(tmpl);
    return rc;
}
