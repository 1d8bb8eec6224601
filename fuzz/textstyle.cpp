// The text styles: any template expands to one line per template line and an empty line
// after them, and never makes a line break of its own; a style file loaded and saved
// again untouched is written back line for line, in its own file only.
#include "base/LineFile.h"
#include "base/VirtualLoop.h"
#include "fuzz/FuzzSupport.h"
#include "writers/TextStyleModel.h"

using writers::TextStyleModel;

namespace {

struct QuietStyleHost : writers::TextStyleHost {
    void setMainAndMacroEnabled(bool) override {}
    void showStyleDialog() override {}
    void hideStyleDialog() override {}
    void warn(const std::string&) override {}
    bool askYesNo(const std::string&) override { return true; }
};

bool hasBreak(const std::string& s) { return s.find_first_of("\r\n") != std::string::npos; }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    fuzz::Sandbox& box = fuzz::Sandbox::get();
    box.reset();
    fuzz::Bytes in(data, size);
    writers::StyleValues v{in.piece(), in.piece(), in.piece(), in.piece(), in.piece()};
    const std::string date = in.piece(), time = in.piece();
    const std::string file = in.rest();
    const base::Lines tmpl = base::splitLines(file);

    base::Lines out = writers::expandStyle(tmpl, v, date, time);
    FUZZ_CHECK(out.size() == tmpl.size() + 1);
    FUZZ_CHECK(out.back().empty());
    bool valuesBreak = hasBreak(v.MeHandle) || hasBreak(v.MeID) || hasBreak(v.ComHandle) ||
                       hasBreak(v.ComID) || hasBreak(v.ResNo) || hasBreak(date) || hasBreak(time);
    if (!valuesBreak)
        for (const auto& l : out)
            FUZZ_CHECK(!hasBreak(l));

    base::replaceFile(box.file(TextStyleModel::fileName(0)), file);
    base::VirtualLoop loop;
    QuietStyleHost host;
    TextStyleModel model{loop, host, box.data()};
    model.setValues(v);
    model.FormShow();
    FUZZ_CHECK(model.Memo1() == tmpl);
    FUZZ_CHECK(model.memo4().size() == tmpl.size() + 1);
    FUZZ_CHECK(model.close());
    FUZZ_CHECK(base::readLines(box.file(TextStyleModel::fileName(0))) == tmpl);
    // Another style (whose file is missing: an empty template) leaves the first file alone.
    model.FormShow();
    model.check(writers::Style::Mail);
    FUZZ_CHECK(model.close());
    FUZZ_CHECK(base::readLines(box.file(TextStyleModel::fileName(0))) == tmpl);
    FUZZ_CHECK(!base::fileExists(box.file(TextStyleModel::fileName(2))) ||
               base::readFile(box.file(TextStyleModel::fileName(2))).empty());
    box.checkContained();
    return 0;
}
