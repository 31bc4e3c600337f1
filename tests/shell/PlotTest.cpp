// The plot program: reading generations CSV files, the spread across runs,
// and pictures written without a display.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "TestSupport.h"
#include "shell/plot/GenerationTable.h"
#include "shell/plot/Labels.h"

namespace fs = std::filesystem;

namespace {
const char* kHeader =
    "run,generation,best,mean,median,worst,sd,best_so_far,best_size,best_depth,mean_size,mean_depth,"
    "evaluations,memory_hits,seconds\n";

std::string Row(int run, int generation, double best, double mean) {
  std::ostringstream row;
  row.precision(17);
  row << run << ',' << generation << ',' << best << ',' << mean << ",0,0,0," << best << ",1,0,1,0,10,0,0.5\n";
  return row.str();
}

GenerationTable Read(const std::string& text) {
  GenerationTable table;
  std::istringstream in(text);
  EXPECT_TRUE(table.Read(in, "g.csv")) << table.ReadError();
  return table;
}
}  // namespace

TEST(GenerationTableTest, CurvesPerRunKeepTheirLastValueAfterAnEarlyStop) {
  GenerationTable table = Read(std::string(kHeader) + Row(1, 0, 5, 9) + Row(1, 1, 3, 8) + Row(1, 2, 1, 7) +
                               Row(2, 0, 6, 9) + Row(2, 1, 0.1, 7.5));
  std::vector<RunCurve> curves = table.Curves("best");
  ASSERT_EQ(curves.size(), 2u);
  EXPECT_EQ(table.RunCount(), 2);
  EXPECT_EQ(table.LastGeneration(), 2);
  EXPECT_EQ(curves[1].run, 2);
  EXPECT_EQ(curves[1].Last(), 1);
  EXPECT_DOUBLE_EQ(curves[1].At(2), 0.1);  // solved at 1, kept
  EXPECT_TRUE(std::isnan(curves[0].At(-1)));
  Spread spread = SpreadOf(curves, table.LastGeneration());
  EXPECT_DOUBLE_EQ(spread.median[0], 5.5);
  EXPECT_DOUBLE_EQ(spread.median[2], 0.55);
  EXPECT_TRUE(table.Curves("no such column").empty());
}

TEST(GenerationTableTest, QuantilesInterpolateBetweenOrderStatistics) {
  std::vector<double> values = {4, 1, 3, 2};
  EXPECT_DOUBLE_EQ(Quantile(values, 0.5), 2.5);
  EXPECT_DOUBLE_EQ(Quantile(values, 0.25), 1.75);
  EXPECT_DOUBLE_EQ(Quantile(values, 0.75), 3.25);
  std::vector<double> none;
  EXPECT_TRUE(std::isnan(Quantile(none, 0.5)));
}

TEST(GenerationTableTest, QuotedFieldsAndMalformedFiles) {
  std::istringstream in("a,\"b,\"\"c\"\"\",\"two\nlines\"\nnext\n");
  std::vector<std::string> fields;
  int line = 0;
  ASSERT_TRUE(ReadCsvRecord(in, fields, line));
  EXPECT_EQ(fields, (std::vector<std::string>{"a", "b,\"c\"", "two\nlines"}));
  EXPECT_EQ(line, 2);

  GenerationTable table;
  std::istringstream shortRow(std::string(kHeader) + "1,0,3\n");
  EXPECT_FALSE(table.Read(shortRow, "g.csv"));
  EXPECT_EQ(table.ReadError(), "g.csv line 2 has 3 fields; the header has 15");
  GenerationTable noRun;
  std::istringstream header("generation,best\n");
  EXPECT_FALSE(noRun.Read(header, "h.csv"));
  EXPECT_EQ(noRun.ReadError(), "h.csv line 1 has no column \"run\"");
}

namespace {
// Width and height from a PNG file's header, or 0 x 0.
std::pair<std::uint32_t, std::uint32_t> PngSize(const std::string& path) {
  std::string bytes = ReadWholeFile(path);
  if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0) return {0, 0};
  auto word = [&](std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
  };
  return {word(16), word(20)};
}

// Runs the plot program; what it printed is shown when it fails, so that a
// failure on another machine tells its cause.
int RunPlot(const std::string& arguments) {
  // No display, no platform chosen: the program draws offscreen by itself.
  std::string said =
      (fs::temp_directory_path() / ("morvane2-plot-said-" + std::to_string(::getpid()))).string();
  std::string command =
      "env -u DISPLAY -u QT_QPA_PLATFORM '" MORVANE2_PLOT "' " + arguments + " >'" + said + "' 2>&1";
  int raw = std::system(command.c_str());
  int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  if (status != 0 && status != 2)
    ADD_FAILURE() << "morvane2-plot " << arguments << " said:\n" << ReadWholeFile(said);
  fs::remove(said);
  return status;
}
}  // namespace

TEST(PlotProgramTest, WritesPicturesOfTheAskedSizeWithoutADisplay) {
  fs::path folder = fs::temp_directory_path() / ("morvane2-plot-" + std::to_string(::getpid()));
  fs::create_directories(folder / "a");
  fs::create_directories(folder / "b");
  std::string csv = kHeader;
  for (int run = 1; run <= 3; ++run) {
    for (int g = 0; g <= 20; ++g) csv += Row(run, g, 100.0 / (g + run), 200.0 / (g + 1));
  }
  std::ofstream(folder / "a" / "generations.csv") << csv;
  std::ofstream(folder / "b" / "generations.csv") << csv;
  std::string a = (folder / "a" / "generations.csv").string();
  std::string b = (folder / "b" / "generations.csv").string();

  std::string png = (folder / "runs.png").string();
  ASSERT_EQ(RunPlot("'" + a + "' -o '" + png + "' --size 640x400 --log-y --title Test"), 0);
  EXPECT_EQ(PngSize(png), std::make_pair(640u, 400u));
  std::string compared = (folder / "compare.png").string();
  ASSERT_EQ(RunPlot("--compare '" + a + "' '" + b + "' -o '" + compared + "'"), 0);
  EXPECT_EQ(PngSize(compared), std::make_pair(800u, 500u));
  EXPECT_GT(fs::file_size(compared), 5000u);

  EXPECT_EQ(RunPlot(""), 2);                                             // usage
  EXPECT_EQ(RunPlot("'" + (folder / "missing.csv").string() + "'"), 2);  // named, not a crash
  EXPECT_EQ(RunPlot("'" + a + "' -o '" + (folder / "x.gif").string() + "'"), 2);
  fs::remove_all(folder);
}

TEST(PlotLabelsTest, AStudysFoldersAreToldApartByWhatDiffers) {
  using Labels = std::vector<std::string>;
  EXPECT_EQ(DistinctParts({"population_size-200_run_seeding-1", "population_size-500_run_seeding-1"}),
            (Labels{"population_size-200", "population_size-500"}));
  EXPECT_EQ(DistinctParts({"k-0_x-1_y_z-2", "k-0_x-1_y_z-3", "k-0_x-2_y_z-2"}),
            (Labels{"x-1_y_z-2", "x-1_y_z-3", "x-2_y_z-2"}));
  // Nothing shared, one label, labels alike, or one label a part of another.
  EXPECT_EQ(DistinctParts({"santafe", "parity3"}), (Labels{"santafe", "parity3"}));
  EXPECT_EQ(DistinctParts({"a_b"}), (Labels{"a_b"}));
  EXPECT_EQ(DistinctParts({"a_b", "a_b"}), (Labels{"a_b", "a_b"}));
  EXPECT_EQ(DistinctParts({"run", "run_2"}), (Labels{"run", "run_2"}));
}
