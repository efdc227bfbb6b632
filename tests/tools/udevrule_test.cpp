// The udev rule that varlokctl prints and installs (the same file; see
// UdevRuleIsTheInstalledFile) read as udev reads it: it may grant the user at
// the seat only the mouse's configuration interface.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "device/deviceidentity.h"

namespace varlok::tools {
namespace {

// One key of a rule: ATTRS{idVendor}=="0c45" is {"ATTRS{idVendor}", "==", "0c45"}.
struct RuleKey {
    std::string name;
    std::string op;
    std::string value;
    friend bool operator==(const RuleKey&, const RuleKey&) = default;
};
using Rule = std::vector<RuleKey>;

// The rules of the file, one per line that is neither empty nor a comment.
// A key that does not parse fails the test.
std::vector<Rule> ReadRules(const std::string& path) {
    std::ifstream file(path);
    std::vector<Rule> rules;
    std::string line;
    while (std::getline(file, line)) {
        if (line.empty() || line.front() == '#') {
            continue;
        }
        Rule rule;
        std::istringstream keys(line);
        std::string key;
        while (std::getline(keys, key, ',')) {
            key.erase(0, key.find_first_not_of(' '));
            const std::size_t op = key.find_first_of("=!+-:");
            const std::size_t quote = key.find('"');
            EXPECT_TRUE(op != std::string::npos && quote != std::string::npos && quote > op &&
                        key.back() == '"')
                << key;
            if (!::testing::Test::HasFailure()) {
                rule.push_back({key.substr(0, op), key.substr(op, quote - op),
                                key.substr(quote + 1, key.size() - quote - 2)});
            }
        }
        rules.push_back(rule);
    }
    return rules;
}

bool Has(const Rule& rule, const RuleKey& key) {
    return std::find(rule.begin(), rule.end(), key) != rule.end();
}

bool Grants(const Rule& rule) {
    return std::any_of(rule.begin(), rule.end(), [](const RuleKey& key) {
        return key == RuleKey{"TAG", "+=", "uaccess"} ||
               ((key.name == "MODE" || key.name == "GROUP" || key.name == "OWNER") &&
                key.op != "==" && key.op != "!=");
    });
}

TEST(UdevRuleTest, GrantsOnlyTheMousesConfigurationInterface) {
    const std::vector<Rule> rules = ReadRules(VARLOK_SOURCE_DIR "/data/udev/70-varlok.rules");
    ASSERT_FALSE(::testing::Test::HasFailure());
    char interface[3];
    std::snprintf(interface, sizeof interface, "%02x", device::kMouseConfigurationInterface);
    char product[5];
    std::snprintf(product, sizeof product, "%04x", device::kMouseProductId);
    const RuleKey hidraw{"SUBSYSTEM", "==", "hidraw"};
    const RuleKey vendor{"ATTRS{idVendor}", "==", "0c45"};
    const RuleKey mouse{"ATTRS{idProduct}", "==", product};
    const RuleKey configurationInterface{"ATTRS{bInterfaceNumber}", "==", interface};

    int grants = 0;
    for (const Rule& rule : rules) {
        // udev matches all ATTRS of a rule on one parent device: the USB
        // device's ids and its interface's number never match together.
        const auto named = [&rule](auto... names) {
            return std::any_of(rule.begin(), rule.end(),
                               [&](const RuleKey& key) { return ((key.name == names) || ...); });
        };
        EXPECT_FALSE(named("ATTRS{idVendor}", "ATTRS{idProduct}") &&
                     named("ATTRS{bInterfaceNumber}"))
            << "a rule that never matches";
        if (!Grants(rule)) {
            continue;
        }
        ++grants;
        EXPECT_TRUE(Has(rule, hidraw));
        EXPECT_TRUE(Has(rule, configurationInterface)) << "a grant without the interface match";
        // The node must be the mouse's: a property only rules for the mouse's
        // hidraw nodes set.
        const auto marker = std::find_if(rule.begin(), rule.end(), [](const RuleKey& key) {
            return key.name.starts_with("ENV{") && key.op == "==";
        });
        ASSERT_NE(marker, rule.end()) << "a grant for any device's interface " << interface;
        int setters = 0;
        for (const Rule& other : rules) {
            if (Has(other, {marker->name, "=", marker->value})) {
                ++setters;
                EXPECT_TRUE(Has(other, hidraw) && Has(other, vendor) && Has(other, mouse));
            }
        }
        EXPECT_GT(setters, 0) << marker->name << " is never set";
    }
    EXPECT_EQ(grants, 1);
}

}  // namespace
}  // namespace varlok::tools
