#include "tools/TextFile.h"

#include "platform/WholeFile.h"

bool ReadTextFile(const std::string& sPath, size_t nMaxBytes, const volatile std::sig_atomic_t* pbStop,
                  std::string* psText, std::string* psError) {
  const std::string sName = sPath == "-" ? "standard input" : sPath;
  std::string sReason;
  switch (platform::ReadWholeFile(sPath == "-" ? std::string() : sPath, nMaxBytes, pbStop, psText, &sReason)) {
    case platform::FileReadResult::kRead: return true;
    case platform::FileReadResult::kTooLarge:
      *psError = sName + " is larger than " + std::to_string(nMaxBytes) + " bytes";
      return false;
    case platform::FileReadResult::kStopped: *psError = "stopped while reading " + sName; return false;
    case platform::FileReadResult::kFailed: break;
  }
  *psError = "cannot open " + sName + ": " + sReason;
  return false;
}

bool WriteTextFile(const std::string& sPath, const std::string& sText, bool bReplace, std::string* psError,
                   bool* pbExists) {
  std::string sReason;
  switch (platform::WriteWholeFile(sPath, sText, bReplace, &sReason)) {
    case platform::FileWriteResult::kWritten: return true;
    case platform::FileWriteResult::kExists:
      *psError = sPath + " exists; give --force to replace it";
      if (pbExists != nullptr) *pbExists = true;
      return false;
    case platform::FileWriteResult::kFailed: break;
  }
  *psError = "cannot write " + sPath + ": " + sReason;
  return false;
}
