// Stands in for KovaProvider.exe in a test package: every run fails as a
// registration run does whose first step fails (E_FAIL), so the package's
// "/Service" step is seen to fail the installation.
int main() { return static_cast<int>(0x80004005u); }
