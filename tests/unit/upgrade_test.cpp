#include <gtest/gtest.h>

#include <string>

#include "net/upgrade.h"

namespace tarn::net {
namespace {

TEST(UpgradeTest, InstallerNamesArePlainFileNames) {
  const struct {
    const char* address;
    const char* name;
  } cases[] = {
      {"http://host/files/126_game.run", "126_game.run"},
      {"http://host/a/../../x.run", "x.run"},
      {"http://host\\dir\\130.run", "130.run"},
      {"http://host/files/127.run?token=a/b#part", "127.run"},
      {"http://host/files/..", ""},
      {"http://host/files/", ""},
      {"http://host/files/bad\x01name.run", ""},
      {"126.run", "126.run"},
  };
  for (const auto& c : cases) EXPECT_EQ(InstallerFileName(c.address), c.name) << c.address;
  EXPECT_EQ(InstallerFileName("http://h/" + std::string(200, 'a')), "");  // beyond the name's bound
}

}  // namespace
}  // namespace tarn::net
