// Runs KovaVssShadow's commands in process on a FakeProvider, with LUN files
// in a temporary folder and a fake block-device reader.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "provider/lun/lun_record.h"
#include "tests/support/fake_provider.h"
#include "tests/support/temp_dir.h"
#include "tools/KovaVssShadow/shadow_cli.h"

class ShadowFakeTest : public testing::Test {
 protected:
  int Run(const std::vector<std::string>& args, const std::string& input = "") {
    out_.str("");
    err_.str("");
    in_.str(input);
    in_.clear();
    ShadowEnvironment env;
    env.factory = [this](REFIID iid, void** object) {
      ++factory_calls_;
      return FAILED(factory_result_) ? factory_result_ : provider_.QueryInterface(iid, object);
    };
    env.device_reader = [this](const std::string& device, VDS_LUN_INFORMATION* lun, std::string* error) {
      const auto found = devices_.find(device);
      if (found == devices_.end()) return *error = "no such device", false;
      lun->m_szVendorId = TaskMemoryString("KOVA    ");
      lun->m_szSerialNumber = TaskMemoryString(found->second);
      return true;
    };
    env.in = &in_;
    env.out = &out_;
    env.err = &err_;
    const int code = RunKovaVssShadow(args, env);
    EXPECT_EQ(0, provider_.references()) << "every interface is released";
    return code;
  }

  // "@FILE" of a JSON file with one record per serial.
  std::string LunFile(const std::string& name, const std::vector<std::string>& serials) {
    std::string json = "[";
    for (size_t i = 0; i < serials.size(); ++i) {
      json += (i ? ", " : "") + std::string(R"({"vendor": "KOVA    ", "serial": ")") + serials[i] +
              R"(", "identifiers": [{"code_set": 2, "type": 0, "data": "vol"}]})";
    }
    return "@" + WriteFile(name, json + "]");
  }
  std::string WriteFile(const std::string& name, const std::string& text) {
    const std::string path = dir_.str() + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  std::string Out() const { return out_.str(); }
  std::string Err() const { return err_.str(); }

  TempDir dir_;
  FakeProvider provider_;
  HRESULT factory_result_ = S_OK;
  int factory_calls_ = 0;
  std::map<std::string, std::string> devices_;
  std::istringstream in_;
  std::ostringstream out_;
  std::ostringstream err_;
};
