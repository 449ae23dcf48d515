#include "COMMON/ZNError.h"

#include "COMMON/ZNPrintf.h"
#include "platform/DebugOutput.h"

CZNError::CZNError() : m_iNumber(0), m_sFile("Unknown"), m_iLine(-1) {
  platform::DebugOutput("CZNError: Unknown\n");
}

CZNError::CZNError(int32_t iNumber) : m_iNumber(iNumber), m_sFile("Unknown"), m_iLine(-1) {
  platform::DebugOutput(ZNPrintf("CZNError: #=%d\n", iNumber));
}

CZNError::CZNError(int32_t iNumber, const char* pszFile, int32_t iLine)
    : m_iNumber(iNumber), m_sFile(pszFile != nullptr ? pszFile : ""), m_iLine(iLine) {
  platform::DebugOutput(ZNPrintf("CZNError: #=%d, File=%s, Line=%d\n", iNumber,
                                 pszFile != nullptr ? pszFile : "(null)", iLine));
}

CZNError::CZNError(const CZNError& other)
    : m_iNumber(other.m_iNumber), m_sFile(other.m_sFile), m_iLine(other.m_iLine) {}
