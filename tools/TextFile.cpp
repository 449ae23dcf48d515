#include "tools/TextFile.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <system_error>

namespace {

bool ReadBounded(std::istream& in, size_t nMaxBytes, std::string* psText) {
  std::string sText;
  char buffer[65536];
  while (in && sText.size() <= nMaxBytes) {
    in.read(buffer, sizeof buffer);
    sText.append(buffer, static_cast<size_t>(in.gcount()));
  }
  if (sText.size() > nMaxBytes) return false;
  *psText = std::move(sText);
  return true;
}

}  // namespace

bool ReadTextFile(const std::string& sPath, size_t nMaxBytes, std::string* psText, std::string* psError) {
  const std::string sLimit = "is larger than " + std::to_string(nMaxBytes) + " bytes";
  if (sPath == "-") {
    if (ReadBounded(std::cin, nMaxBytes, psText)) return true;
    *psError = "standard input " + sLimit;
    return false;
  }
  std::ifstream in(sPath, std::ios::binary);
  if (!in) {
    *psError = "cannot open " + sPath;
    return false;
  }
  if (ReadBounded(in, nMaxBytes, psText)) return true;
  *psError = sPath + " " + sLimit;
  return false;
}

bool WriteFileAtomically(const std::string& sPath, const std::string& sText, std::string* psError) {
  const std::string sTemporary = sPath + ".tmp";
  {
    std::ofstream out(sTemporary, std::ios::binary | std::ios::trunc);
    out.write(sText.data(), static_cast<std::streamsize>(sText.size()));
    out.flush();
    if (!out) {
      *psError = "cannot write " + sTemporary;
      std::error_code ignored;
      std::filesystem::remove(sTemporary, ignored);
      return false;
    }
  }
  std::error_code error;
  std::filesystem::rename(sTemporary, sPath, error);
  if (error) {
    *psError = "cannot rename " + sTemporary + " to " + sPath + ": " + error.message();
    std::filesystem::remove(sTemporary, error);
    return false;
  }
  return true;
}
