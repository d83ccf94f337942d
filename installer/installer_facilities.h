// The operating system facilities the bootstrapper works through, so that
// its flows run against fakes as well as against Windows.
#pragma once

#include "platform/embedded_resources.h"
#include "platform/installed_products.h"
#include "platform/message_box.h"
#include "platform/package_files.h"
#include "platform/process_launcher.h"
#include "platform/string_resources.h"
#include "platform/windows_version.h"
#include "platform/wow64_state.h"

struct InstallerFacilities {
  platform::WindowsVersionSource& version;
  platform::Wow64State& wow64;
  platform::EmbeddedResources& resources;
  platform::StringResources& strings;
  platform::MessageBoxes& boxes;
  platform::PackageFiles& files;
  platform::ProcessLauncher& launcher;
  platform::InstalledProducts& products;
};

// The running program's own facilities (Windows).
InstallerFacilities SystemInstallerFacilities();
