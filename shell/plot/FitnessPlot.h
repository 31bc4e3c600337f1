// Draws fitness per generation from `generations` CSV files with Qt Charts,
// offscreen, into a PNG or SVG file: each run as a thin line, the median
// across runs in bold and the band between the quartiles, for the best and the
// mean fitness; or, comparing several files, their medians side by side.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "shell/plot/GenerationTable.h"

struct PlotOptions {
  QString output = "fitness.png";
  QString title;
  bool logY = false;
  bool compare = false;
  int width = 800;
  int height = 500;
};

// One input file: its table and the name its legend entries carry.
struct PlotInput {
  QString label;
  GenerationTable table;
};

// Writes the plot; on failure returns false with the reason in error.
bool WriteFitnessPlot(const std::vector<PlotInput>& inputs, const PlotOptions& options, QString& error);

// The legend name of a CSV file: its folder's name ("santafe" for
// runs/santafe/generations.csv), or the file's name when it has no folder.
QString LabelOf(const QString& path);
