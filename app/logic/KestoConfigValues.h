#ifndef KESTO_APP_LOGIC_KESTOCONFIGVALUES_H
#define KESTO_APP_LOGIC_KESTOCONFIGVALUES_H

#include <cstdint>
#include <string>

// What the configuration dialog hands back once confirmed.
struct KestoConfigValues {
  uint32_t dwIPAddress = 0;
  uint32_t dwNetMask = 0;
  uint32_t dwGateway = 0;
  uint32_t dwDNS = 0;
  int iType = 0;
  std::string sName;
  int iProtocol = 0;
  int iBaud = 0;
};

#endif
