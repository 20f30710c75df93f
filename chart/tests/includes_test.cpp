// The chart's parts include one another in one direction only: taking a header and its source
// as one part, no part reaches itself through the #include lines of chart/.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using TPartGraph = std::map<std::string, std::set<std::string>>;

// Every part of chart/ (a file name without its extension) with the other parts it includes.
TPartGraph ChartIncludes()
{
    static const std::regex include(R"(^\s*#\s*include\s+"chart/([A-Za-z0-9_]+)\.h")");
    TPartGraph graph;
    for (const fs::directory_entry& entry : fs::directory_iterator(KALMIRA_CHART_DIR)) {
        const fs::path& path = entry.path();
        if (path.extension() != ".h" && path.extension() != ".cpp") continue;
        const std::string part = path.stem().string();
        graph[part];
        std::ifstream in(path);
        for (std::string line; std::getline(in, line);) {
            std::smatch m;
            if (std::regex_search(line, m, include) && m[1] != part) graph[part].insert(m[1]);
        }
    }
    return graph;
}

// A path of parts that starts and ends at `start`, or empty.
std::vector<std::string> CircleThrough(const TPartGraph& graph, const std::string& start)
{
    std::vector<std::vector<std::string>> open = {{start}};
    std::set<std::string> seen;
    while (!open.empty()) {
        const std::vector<std::string> path = open.back();
        open.pop_back();
        const auto next = graph.find(path.back());
        if (next == graph.end()) continue;
        for (const std::string& part : next->second) {
            std::vector<std::string> longer = path;
            longer.push_back(part);
            if (part == start) return longer;
            if (seen.insert(part).second) open.push_back(longer);
        }
    }
    return {};
}

TEST(ChartIncludes, FormNoCircle)
{
    const TPartGraph graph = ChartIncludes();
    ASSERT_GT(graph.size(), 10u) << "the chart's sources are read from " << KALMIRA_CHART_DIR;
    ASSERT_TRUE(graph.at("mouse").count("chart")) << "the mouse handling works on the chart";
    for (const auto& [part, includes] : graph) {
        std::string circle;
        for (const std::string& p : CircleThrough(graph, part)) circle += (circle.empty() ? "" : " -> ") + p;
        EXPECT_TRUE(circle.empty()) << circle;
    }
}

}  // namespace
