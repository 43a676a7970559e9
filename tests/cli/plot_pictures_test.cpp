// Plot pictures in headless batches: each item draws NAME.png, .svg or .pdf
// beside its script with the real gnuplot and no display, a picture that
// shows the run's curves, and a picture that cannot be drawn fails its item
// without losing the item's results.
#include <algorithm>
#include <filesystem>

#include <gtest/gtest.h>
#include <QImage>
#include <QXmlStreamReader>

#include "cli/cli_options.h"
#include "cli_fixture.h"
#include "core/date_time.h"
#include "support/folder_snapshot.h"

namespace corvane {
namespace {

using testing::CliTest;
using testing::Contains;
using testing::FileExists;
using testing::ProgramResult;
using testing::ReadFile;

// The names of the files in a folder, the hidden ones too.
std::vector<std::string> FolderNames(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& [name, contents] : testing::FolderSnapshot(folder)) names.push_back(name);
  return names;
}

// The pixels of the picture drawn in the colour. Lines are drawn smoothed,
// so a pixel counts when it is the colour laid at least half opaque over
// the white background.
int PixelsOf(const QImage& image, QRgb colour) {
  const int c[] = {qRed(colour), qGreen(colour), qBlue(colour)};
  const int key = static_cast<int>(std::min_element(c, c + 3) - c);  // furthest from white
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QRgb pixel = image.pixel(x, y);
      const int p[] = {qRed(pixel), qGreen(pixel), qBlue(pixel)};
      const double alpha = (255.0 - p[key]) / (255 - c[key]);
      bool covers = alpha >= 0.5 && alpha <= 1.05;
      for (int i = 0; i < 3; ++i)
        covers = covers && std::abs(p[i] - (255 - alpha * (255 - c[i]))) <= 24;
      count += covers;
    }
  }
  return count;
}

class PlotPicturesTest : public CliTest {
 protected:
  // One item per name, each an hour of its own day of May 2011 (a day from
  // 00:00:00 with `wholeDay`), after the given keyword lines.
  std::string Batch(const std::vector<std::string>& names, const std::string& keywords,
                    bool wholeDay = false) {
    std::string text = "DataDirectory " + root_ + "\n" + keywords;
    for (const std::string& name : names) {
      const std::string date = "2011-05-" + std::to_string(10 + day_++);
      eggdata::EggDataOptions options;
      options.start = SecondsFromText(date + " 00:00:00");
      options.stop = options.start + (wholeDay ? 86399 : 3599);
      options.eggCount = 20;
      text += "LocalEggFile " + EggFile(name + ".csv", date, options) + "\n" + name + " " + date +
              " 00:00:00 " + date + (wholeDay ? " 23:59:59\n" : " 00:59:59\n");
    }
    return text;
  }
  std::string Out(const std::string& name, const std::string& extension) const {
    return root_ + name + "/" + name + extension;
  }
  int day_ = 0;
};

// Every format, chosen by --set or by the keyword for the items after it,
// gives one valid picture per item and nothing else new in the folder. The
// PNG of a one-day run draws the curve and its reference over the whole
// width, as the pixels of gnuplot's colours for its first two lines show.
TEST_F(PlotPicturesTest, EachFormatGivesOneValidPicturePerItem) {
  const std::string batch = Batch({"Svg1", "Svg2"}, "") +
                            Batch({"Png1", "Png2"}, "PlotPictures png\n", true) +
                            Batch({"Pdf1"}, "PlotPictures PDF\n");
  const ProgramResult run = RunBatch(batch, {"--set", "PlotPictures=svg"});
  ASSERT_EQ(run.exitCode, kExitOk) << run.err;
  for (const std::string name : {"Png1", "Png2"}) {
    SCOPED_TRACE(name);
    QImage picture;
    ASSERT_TRUE(
        picture.loadFromData(QByteArray::fromStdString(ReadFile(Out(name, ".png"))), "PNG"));
    EXPECT_EQ(picture.size(), QSize(1200, 750));
    EXPECT_GE(PixelsOf(picture, qRgb(0x94, 0x00, 0xD3)), 1000);  // the curve
    EXPECT_GE(PixelsOf(picture, qRgb(0x00, 0x9E, 0x73)), 1000);  // its p = 0.05 reference
    EXPECT_EQ(FolderNames(root_ + name), (std::vector<std::string>{name + ".dat", name + ".gp",
                                                                   name + ".inf", name + ".png"}));
  }

  for (const std::string name : {"Svg1", "Svg2"}) {
    SCOPED_TRACE(name);
    QXmlStreamReader xml(QByteArray::fromStdString(ReadFile(Out(name, ".svg"))));
    int paths = 0;
    QString width;
    while (!xml.atEnd()) {
      xml.readNext();
      if (!xml.isStartElement()) continue;
      if (xml.name() == QLatin1String("svg")) width = xml.attributes().value("width").toString();
      if (xml.name() == QLatin1String("path")) ++paths;
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(width, "1200");
    EXPECT_GT(paths, 2);
    EXPECT_FALSE(FileExists(Out(name, ".png")));
  }
  const std::string document = ReadFile(Out("Pdf1", ".pdf"));
  EXPECT_EQ(document.rfind("%PDF-", 0), 0u);
  EXPECT_TRUE(Contains(document, "/MediaBox [ 0 0 1200 750 ]"));
  EXPECT_EQ(document.substr(document.find_last_not_of("\r\n") - 4, 5), "%%EOF");
  EXPECT_FALSE(FileExists(Out("Pdf1", ".png")));
}

// When gnuplot fails, the item fails with a summary line naming the
// picture; its results are whole and no pending picture is left behind.
// The next item goes on.
TEST_F(PlotPicturesTest, AFailedPictureFailsItsItemButKeepsItsResults) {
  const std::string failing = dir_.File("failing-gnuplot");
  testing::WriteFile(failing, "#!/bin/sh\necho 'line 3: no such terminal' >&2\nexit 1\n");
  std::filesystem::permissions(failing, std::filesystem::perms::owner_all);
  const ProgramResult result = RunBatch(Batch({"Broken1", "Broken2"}, "PlotPictures svg\n"),
                                        {"--set", "GnuplotDir=" + failing});
  EXPECT_EQ(result.exitCode, kExitItemsFailed) << result.err;
  const std::string summary = ReadFile(root_ + "summary.tst");
  for (const std::string name : {"Broken1", "Broken2"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(Contains(summary, name + ": Failed to draw the plot picture " + Out(name, ".svg") +
                                      ": " + failing +
                                      " ended with status 1: line 3: no such terminal\n"))
        << summary;
    EXPECT_EQ(FolderNames(root_ + name),
              (std::vector<std::string>{name + ".dat", name + ".gp", name + ".inf"}));
  }
  EXPECT_TRUE(Contains(result.out + result.err, "2 failed")) << result.out << result.err;
}

}  // namespace
}  // namespace corvane
