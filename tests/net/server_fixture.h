// A stand-in data server on a free loopback port and a temporary directory,
// for the download tests.
#pragma once

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "dataserver/data_server.h"
#include "support/temp_dir.h"

namespace corvane::testing {

class ServerFixture : public ::testing::Test {
 protected:
  void SetUp() override { StartServer(); }

  void StartServer(dataserver::ServerOptions options = {}) {
    if (server_) server_->Stop();
    options.port = 0;
    server_ = std::make_unique<dataserver::DataServer>(options);
    std::string error;
    ASSERT_TRUE(server_->Start(&error)) << error;
  }

  // The real-data URL of one span of 2011-05-03 (times as HH%3AMM%3ASS).
  std::string DayUrl(const std::string& stime = "00%3A00%3A00",
                     const std::string& etime = "00%3A09%3A59") const {
    return server_->DataUrl() + "&year=2011&month=5&day=3&stime=" + stime + "&etime=" + etime +
           "&gzip=Yes&idate=Yes";
  }

  std::unique_ptr<dataserver::DataServer> server_;
  TempDir dir_;
};

}  // namespace corvane::testing
