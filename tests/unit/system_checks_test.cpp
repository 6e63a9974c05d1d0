// The machine's facts, the requirement comparison and its message, and the
// message templates the string table may supply.
#include <gtest/gtest.h>

#include "app/settings.h"
#include "app/system_checks.h"
#include "diag/log.h"
#include "diag/requirements.h"
#include "diag/system_info.h"
#include "diag/text_format.h"
#include "test_support.h"

namespace tarn {
namespace {

std::string DefaultText(const char*, const char* fallback) { return fallback; }

TEST(SizeText, NumbersAndUnits) {
  struct Case {
    const char* text;
    uint64_t bytes;
  } cases[] = {{"1.5 GB", 1610612736ull},   {"512.0 MB", 536870912ull}, {"2048MB RAM", 2147483648ull},
               {"24000 KB", 24576000ull},    {"3", 3145728ull},          {"RAM 512 MB", 0},
               {"", 0},                      {"-5 GB", 0},               {"1e30 GB", UINT64_MAX}};
  for (const Case& c : cases) EXPECT_EQ(ParseSizeText(c.text), c.bytes) << c.text;
}

TEST(TemplateText, FillsOnlyWhatItKnows) {
  EXPECT_EQ(FillTemplate("%d.%d%c (%S)", {9, 0, 'c', "you"}), "9.0c (you)");
  EXPECT_EQ(FillTemplate("%c|%d", {static_cast<char>(0), 7}), " |7");
  // A hostile template from a game's string table: nothing is read that was
  // not given, nothing is written through %n, unknown conversions stay.
  EXPECT_EQ(FillTemplate("%n%s%s%x%%%", {"one"}), "%none%s%x%%");
}

SystemInfo Machine() {
  SystemInfo info;
  info.osMajor = 6;
  info.osMinor = 1;
  info.osName = "Debian 12";
  info.directXMajor = 9;
  info.directXMinor = 0;
  info.directXLetter = 'c';
  info.physicalMemory = 256ull << 20;
  info.displayMemory = 64ull << 20;
  return info;
}

TEST(Requirements, WarningForMemoryBelowTheWarningLevel) {
  Requirements table;
  table.warning.systemMemory = 512ull << 20;
  RequirementVerdict verdict = EvaluateRequirements(table, Machine());
  EXPECT_EQ(verdict.level, 1);
  EXPECT_EQ(RequirementMessage(verdict, table, Machine(), DefaultText),
            "WARNING: Your computer is below minimum requirements for the game:\n\n"
            "- System memory required: 512 MB (you have: 256 MB)\n\n");
}

TEST(Requirements, BothLevelsFailingIsAnErrorShowingTheWarningLine) {
  Requirements table;
  table.warning.videoMemory = 256ull << 20;
  table.error.videoMemory = 128ull << 20;
  table.error.osMajor = 7;
  table.error.osName = "Linux 7";
  RequirementVerdict verdict = EvaluateRequirements(table, Machine());
  EXPECT_EQ(verdict.level, 2);
  EXPECT_EQ(RequirementMessage(verdict, table, Machine(), DefaultText),
            "ERROR: Your computer is below minimum requirements for the game:\n\n"
            "- Operating system required: Linux 7 or later\n(you have: Debian 12)\n\n"
            "- Video memory required: 256 MB (you have: 64 MB)\n\n");
}

TEST(Requirements, ComparisonRules) {
  struct Case {
    const char* what;
    RequirementLevel need;
    SystemInfo have;
    int level;
  };
  auto dx = [](int major, int minor, char letter) {
    RequirementLevel level;
    level.dxMajor = major, level.dxMinor = minor, level.dxLetter = letter;
    return level;
  };
  auto os = [](int major, int minor) {
    RequirementLevel level;
    level.osMajor = major, level.osMinor = minor;
    return level;
  };
  SystemInfo b = Machine();
  b.directXLetter = 'b';
  SystemInfo unknown;
  RequirementLevel memory;
  memory.systemMemory = memory.videoMemory = 1ull << 40;
  Case cases[] = {
      {"9.0c met by 9.0c", dx(9, 0, 'c'), Machine(), 0},
      {"9.0c not met by 9.0b", dx(9, 0, 'c'), b, 1},
      {"9.0 met by any letter", dx(9, 0, 0), b, 0},
      {"8.1 met by 9.0", dx(8, 1, 'z'), Machine(), 0},
      {"9.1 not met by 9.0c", dx(9, 1, 0), Machine(), 1},
      {"6.1 met by 6.1", os(6, 1), Machine(), 0},
      {"6.2 not met by 6.1", os(6, 2), Machine(), 1},
      {"5.9 met by 6.1", os(5, 9), Machine(), 0},
      {"unknown facts never fail", memory, unknown, 0},
  };
  for (const Case& c : cases) {
    Requirements table;
    table.warning = c.need;
    EXPECT_EQ(EvaluateRequirements(table, c.have).level, c.level) << c.what;
  }
}

TEST(Requirements, UnavailableRendererIsAWarningWhateverElseFailed) {
  Requirements table;
  table.error.systemMemory = 1ull << 40;
  SystemInfo info = Machine();
  info.d3dAvailable = false;
  RequirementVerdict verdict = EvaluateRequirements(table, info);
  EXPECT_EQ(verdict.level, 1);
  std::string message = RequirementMessage(verdict, table, info, [](const char* key, const char* fallback) {
    return std::string(key) == "req_d3d" ? std::string("- no renderer (%d)") : std::string(fallback);
  });
  EXPECT_EQ(message.substr(0, message.find("- System")),
            "WARNING: Your computer is below minimum requirements for the game:\n\n- no renderer (%d)\n\n");
}

class SystemFactsTest : public testing::DataFolderTest {};

TEST_F(SystemFactsTest, HostFilesBecomePropertiesAndFields) {
  FactSources sources;
  sources.useUname = false;
  sources.osRelease = game_.Write("os-release", "NAME=\"Debian\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n");
  sources.cpuInfo = game_.Write("cpuinfo", "processor\t: 0\nmodel name\t: Test CPU\n\nprocessor\t: 1\nmodel name\t: Test CPU\n");
  sources.memInfo = game_.Write("meminfo", "MemTotal:       262144 kB\nMemFree: 1 kB\n");
  GraphicsFacts graphics;
  graphics.known = true;
  graphics.renderer = "llvmpipe";
  graphics.videoMemory = 96ull << 20;
  std::vector<SystemFact> facts = GatherSystemFacts(sources, graphics, true, 1024, 768);
  SystemInfo info;
  ApplySystemFacts(facts, info);
  EXPECT_EQ(info.osName, "Debian GNU/Linux 12 (bookworm)");
  EXPECT_EQ(info.physicalMemory, 256ull << 20);
  EXPECT_EQ(info.displayMemory, 96ull << 20);
  EXPECT_TRUE(info.d3dAvailable);
  testing::FreshLog();
  LogSystemFacts(facts);
  EXPECT_EQ(Lines(kLevelInfo),
            "DXDiag - Begin ---------------------\n"
            "DxDiag_SystemInfo.szOSExLongEnglish = Debian GNU/Linux 12 (bookworm)\n"
            "DxDiag_SystemInfo.szProcessorEnglish = Test CPU, 2 CPUs\n"
            "DxDiag_SystemInfo.szPhysicalMemoryEnglish = 256MB RAM\n"
            "DxDiag_DisplayDevices.0.szDescription = llvmpipe\n"
            "DxDiag_DisplayDevices.0.szManufacturer = \n"
            "DxDiag_DisplayDevices.0.szDriverVersion = \n"
            "DxDiag_DisplayDevices.0.dwWidth = 1024\n"
            "DxDiag_DisplayDevices.0.dwHeight = 768\n"
            "DxDiag_DisplayDevices.0.szDisplayMemoryEnglish = 96 MB\n"
            "DxDiag_DisplayDevices.0.szD3DStatusEnglish = Enabled\n"
            "DXDiag - End ---------------------\n");
}

TEST_F(SystemFactsTest, FailedVideoMemoryMakesTheGameLighter) {
  Settings& cfg = Cfg();
  cfg.tex_16bit = false;
  CurrentSystemInfo() = Machine();
  Requirements table;
  table.warning.systemMemory = 128ull << 20;  // met: nothing changes
  EXPECT_TRUE(CheckRequirements(table));
  EXPECT_FALSE(cfg.tex_16bit);
  EXPECT_TRUE(cfg.renderTargetInWindow);
  table.warning.videoMemory = 128ull << 20;  // not met; the box's default answer goes on
  EXPECT_TRUE(CheckRequirements(table));
  EXPECT_TRUE(cfg.tex_16bit);
  EXPECT_FALSE(cfg.renderTargetInWindow);
  EXPECT_FALSE(cfg.renderTargetInFullScreen);
  CurrentSystemInfo() = SystemInfo();
}

}  // namespace
}  // namespace tarn
