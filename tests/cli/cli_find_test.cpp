#include <gtest/gtest.h>

#include <cstdlib>

#include "support/bmp_writer.h"
#include "support/run_process.h"
#include "support/temp_dir.h"
#include "support/x_drawing.h"

namespace glimtap {
namespace {

using test::BmpPicture;
using test::RunProcess;

BmpPicture Cut(const BmpPicture& from, int32_t x, int32_t y, int32_t width, int32_t height) {
    BmpPicture p{width, height, {}};
    for (int32_t r = 0; r < height; ++r)
        for (int32_t k = 0; k < width; ++k) p.pixels.push_back(from.pixels[size_t(y + r) * from.width + x + k]);
    return p;
}

void Paste(BmpPicture& onto, const BmpPicture& part, int32_t x, int32_t y) {
    for (int32_t r = 0; r < part.height; ++r)
        for (int32_t k = 0; k < part.width; ++k)
            onto.pixels[size_t(y + r) * onto.width + x + k] = part.pixels[size_t(r) * part.width + k];
}

std::vector<std::string> Find(std::initializer_list<std::string> args) {
    std::vector<std::string> argv{GLIMTAP_CLI, "find"};
    argv.insert(argv.end(), args);
    return argv;
}

class CliFind : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string screenPath = (dir / "screen one.bmp").string();
    std::string templatePath = (dir / "tmpl é.bmp").string();
};

TEST_F(CliFind, SearchesABitmapStandingInForTheScreen) {
    BmpPicture screen = test::RandomPicture(200, 150, 1);
    const BmpPicture templ = Cut(screen, 120, 90, 30, 20);
    Paste(screen, templ, 10, 100);
    test::WriteBmp(screenPath, screen, {.bitsPerPixel = 32});
    test::WriteBmp(templatePath, templ);

    auto r = RunProcess(Find({"--template", templatePath, "--image", screenPath}));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "120 90 30 20\n");  // reading order: the upper copy

    r = RunProcess(Find({"--template", templatePath, "--image", screenPath, "--max-matches", "0",
                         "--by-columns"}));
    EXPECT_EQ(r.out, "10 100 30 20\n120 90 30 20\n");

    r = RunProcess(Find({"--template", templatePath, "--image", screenPath, "--area", "0,0,100,100"}));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");

    r = RunProcess(Find({"--template", templatePath, "--image", screenPath, "--area", "100,80,60,40",
                         "--json", "--repeat", "3"}));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.rfind("{\"matches\":[{\"x\":120,\"y\":90,\"width\":30,\"height\":20}],\"capture_ms\":", 0), 0u)
        << r.out;
    EXPECT_NE(r.out.find("\"scan_ms\":"), std::string::npos);
}

TEST_F(CliFind, ClosestSaysWhereAndWhatToleranceWouldMatch) {
    const BmpPicture screen = test::RandomPicture(200, 150, 1);
    BmpPicture templ = Cut(screen, 120, 90, 30, 20);
    test::ShiftChannel(templ.pixels[3 * 30 + 4], 8, 40);
    test::WriteBmp(screenPath, screen);
    test::WriteBmp(templatePath, templ);
    for (const bool byColumns : {false, true}) {
        auto argv = Find({"--template", templatePath, "--image", screenPath, "--closest"});
        if (byColumns) argv.push_back("--by-columns");
        const auto r = RunProcess(argv);
        EXPECT_EQ(r.exitCode, 1) << r.err;
        EXPECT_EQ(r.out, "closest 120 90 needs tolerance 40 (99.8% of pixels within 15)\n");
    }
    const auto r = RunProcess(Find({"--template", templatePath, "--image", screenPath, "--closest", "--json"}));
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_NE(r.out.find(",\"closest\":{\"x\":120,\"y\":90,\"width\":30,\"height\":20,\"tolerance\":40,"
                         "\"agreeing\":0.998333}}\n"), std::string::npos) << r.out;
}

TEST_F(CliFind, BadArgumentsAndFilesAreErrorsNamingThem) {
    test::WriteBmp(templatePath, test::RandomPicture(4, 4, 2), {.bitsPerPixel = 8});
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {Find({}), "--template"},
        {Find({"--template", templatePath}), "tmpl é.bmp"},
        {Find({"--template", "x.bmp", "--tolerance", "abc"}), "--tolerance"},
        {Find({"--template", "x.bmp", "--area", "1,2,3"}), "--area"},
        {Find({"--template", "x.bmp", "--area", "1,2,0,5"}), "--area"},
        {Find({"--template", "x.bmp", "--repeat", "0"}), "--repeat"},
        {Find({"--template", "x.bmp", "--frobnicate"}), "--frobnicate"},
        {Find({"--template"}), "--template"},
        {{GLIMTAP_CLI, "launch"}, "launch"},
    };
    for (const auto& [argv, named] : cases) {
        const auto r = RunProcess(argv);
        EXPECT_EQ(r.exitCode, 2) << argv.back();
        EXPECT_NE(r.err.find(named), std::string::npos) << r.err;
    }
}

TEST_F(CliFind, SearchesTheLiveScreen) {
    const BmpPicture picture = test::RandomPicture(60, 40, 3);
    test::ScreenPainter painter;
    painter.FillRoot(0x00203040);
    painter.DrawOnRoot(1500, 700, picture.width, picture.height, picture.pixels);
    test::WriteBmp(templatePath, picture);

    auto r = RunProcess(Find({"--template", templatePath}));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "1500 700 60 40\n");

    // An area hanging over the bottom-right corner: the part outside reads as black.
    painter.DrawOnRoot(1890, 1060, 30, 20, Cut(picture, 0, 0, 30, 20).pixels);
    test::WriteBmp(templatePath, Cut(picture, 0, 0, 30, 20));
    r = RunProcess(Find({"--template", templatePath, "--area", "1800,1000,400,400"}));
    EXPECT_EQ(r.out, "1890 1060 30 20\n") << r.err;

    const std::string display = std::getenv("DISPLAY");
    setenv("DISPLAY", ":4242", 1);
    r = RunProcess(Find({"--template", templatePath}));
    setenv("DISPLAY", display.c_str(), 1);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find(":4242"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace glimtap
