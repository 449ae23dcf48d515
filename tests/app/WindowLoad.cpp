// The real main window under load, for the figures in docs/performance.md: runs
// the program's own loop for a while and reports what the list did. Probes only
// the given host (loopback) unless --lab is given, which it accepts only inside a
// test network namespace.
//
// Usage: app_window_load [--target A.B.C.D:PORT | --lab] [--seconds S] [--add-target RANGE]
//                        [--set-at S --set-name NAME] [--sort COLUMN] [--maximise]
// Prints: rows, removals (rows deleted), refused, drops (the kernel's count for the
// finder's socket), CPU ms, the probes' intervals are counted by the simulator, and
// for --set-at the status line once the settings were confirmed (or not); with --sort
// (the list sorted by that column, 2 for IP addresses, from the start) whether the rows
// ended in that order, and with --maximise whether the window was maximised.
#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QTreeView>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>

#include "app/qt/EventPump.h"
#include "app/qt/QUORINDlg.h"
#include "app/logic/ConfigKestoModel.h"
#include "app/logic/DeviceColumnSet.h"
#include "tests/app/WindowDriver.h"
#include "app/logic/DeviceSortOrder.h"
#include "app/logic/PollingLoop.h"
#include "app/logic/TargetOption.h"

namespace {

bool InLabNamespace() {
  struct stat self {};
  if (stat("/proc/self/ns/net", &self) != 0) return false;
  const QDir dir(QStringLiteral("/run/netns"));
  for (const QString& sName : dir.entryList({QStringLiteral("kesto-lab-*")}, QDir::Files | QDir::System)) {
    struct stat named {};
    if (stat(dir.filePath(sName).toLocal8Bit().constData(), &named) == 0 && named.st_ino == self.st_ino &&
        named.st_dev == self.st_dev)
      return true;
  }
  return false;
}

// The kernel's drop count of the UDP socket bound to wPort, from /proc/net/udp.
long long SocketDrops(uint16_t wPort) {
  std::ifstream udp("/proc/net/udp");
  std::string sLine;
  char szPort[8];
  std::snprintf(szPort, sizeof szPort, ":%04X", wPort);
  while (std::getline(udp, sLine)) {
    std::istringstream fields(sLine);
    std::string sSlot, sLocal;
    fields >> sSlot >> sLocal;
    if (sLocal.size() < 5 || sLocal.compare(sLocal.size() - 5, 5, szPort) != 0) continue;
    std::string sLast, sField;
    while (fields >> sField) sLast = sField;
    return std::atoll(sLast.c_str());
  }
  return -1;
}

double CpuMs() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec * 1e3 + usage.ru_utime.tv_usec / 1e3 + usage.ru_stime.tv_sec * 1e3 +
         usage.ru_stime.tv_usec / 1e3;
}

}  // namespace

int main(int argc, char* argv[]) {
  KestoFinderOptions options;
  options.iReceiveBufferBytes = 8 << 20;  // as the program's own main asks
  bool bTarget = false, bLab = false;
  int iSeconds = 60, iSetAt = -1, iSort = -1;
  bool bMaximise = false;
  std::string sAddTarget, sSetName = "Set during the sweep";
  for (int i = 1; i < argc; ++i) {
    const std::string sArg = argv[i];
    const char* pszValue = i + 1 < argc ? argv[i + 1] : "";
    if (sArg == "--target") {
      std::string sError;
      if (!ParseTargetOption(pszValue, &options.endpTarget, &sError)) return std::fprintf(stderr, "%s\n", sError.c_str()), 2;
      bTarget = true;
      ++i;
    } else if (sArg == "--lab") {
      bLab = true;
    } else if (sArg == "--seconds") {
      iSeconds = std::atoi(pszValue), ++i;
    } else if (sArg == "--add-target") {
      sAddTarget = pszValue, ++i;
    } else if (sArg == "--set-at") {
      iSetAt = std::atoi(pszValue), ++i;
    } else if (sArg == "--sort") {
      iSort = std::atoi(pszValue), ++i;
    } else if (sArg == "--maximise") {
      bMaximise = true;
    } else if (sArg == "--set-name") {
      sSetName = pszValue, ++i;
    } else {
      return std::fprintf(stderr, "unknown argument %s\n", argv[i]), 2;
    }
  }
  // Only loopback, or broadcasts inside a test namespace.
  if (bTarget == bLab) return std::fprintf(stderr, "give --target 127.x.x.x:PORT or --lab\n"), 2;
  if (bTarget && (options.endpTarget.dwAddress >> 24) != 127) return std::fprintf(stderr, "loopback only\n"), 2;
  if (bLab && !InLabNamespace()) return std::fprintf(stderr, "--lab only inside a test network namespace\n"), 2;

  QApplication app(argc, argv);
  CQUORINDlg window(std::make_unique<CKestoFinder>(options));
  if (!window.GetFinder().IsSocketOpen()) return std::fprintf(stderr, "socket not open\n"), 1;
  if (iSort >= 0) {
    CDeviceSortOrder order;
    order.Set(iSort, true);
    window.SetSortOrder(order);
  }
  if (bMaximise)
    window.showMaximized();
  else
    window.show();
  if (!sAddTarget.empty() && !window.AddTarget(QString::fromStdString(sAddTarget)))
    return std::fprintf(stderr, "target refused\n"), 2;
  QTreeView* pList = window_driver::DeviceList(&window);
  const auto rows = [pList] { return pList->model()->rowCount(); };
  long long nRemovals = 0;
  QObject::connect(pList->model(), &QAbstractItemModel::rowsAboutToBeRemoved,
                   [&](const QModelIndex&, int iFirst, int iLast) { nRemovals += iLast - iFirst + 1; });
  window.GetFinder().SendProbe();  // the socket's port is known after the first send
  platform::Ipv4Endpoint local;
  window.GetFinder().GetSocket()->GetLocalEndpoint(&local);
  const long long nDropsBefore = SocketDrops(local.wPort);

  const auto start = std::chrono::steady_clock::now();
  const double dCpuStart = CpuMs();
  bool bSetDone = false;
  long long nMaxRows = 0, nBehindPasses = 0, nPasses = 0;
  CPollingLoop::Run({[&] { return std::chrono::steady_clock::now() - start > std::chrono::seconds(iSeconds); },
                     &ProcessWaitingEvents, [&window](int iMs) { window.PauseForAnswer(iMs); },
                     [&] {
                       window.PollDevices();
                       ++nPasses;
                       nMaxRows = std::max<long long>(nMaxRows, rows());
                       if (window.GetFinder().IsSweepBehind()) ++nBehindPasses;
                       if (iSetAt >= 0 && !bSetDone &&
                           std::chrono::steady_clock::now() - start > std::chrono::seconds(iSetAt) &&
                           rows() > 0) {
                         // The device at the bottom (found first): its settings renamed and sent.
                         bSetDone = true;
                         window_driver::ClickRow(pList, rows() - 1);
                         CKestoInfo* pCopy = window.GetPresenter().GetSelectedRecord();
                         SetRecordName(pCopy->GetRecord(), sSetName);
                         const int iSent = window.GetFinder().SendConfig(pCopy->GetRecord());
                         std::printf("set %s sent %d\n", pCopy->GetMACText().c_str(), iSent);
                       }
                     }});
  const double dCpuMs = CpuMs() - dCpuStart;
  const double dWallMs =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  std::printf("rows %d max_rows %lld removals %lld refused %llu drops %lld passes %lld behind_passes %lld\n",
              rows(), nMaxRows, nRemovals,
              static_cast<unsigned long long>(window.GetFinder().GetRefusedDevices()),
              SocketDrops(local.wPort) - nDropsBefore, nPasses, nBehindPasses);
  std::printf("cpu %.0f ms in %.0f ms = %.1f %% of a core\n", dCpuMs, dWallMs, 100.0 * dCpuMs / dWallMs);
  std::printf("status: %s\n", qPrintable(window_driver::Find<QLabel>(&window, "status")->text()));
  if (bMaximise) std::printf("maximised %d\n", window.isMaximized() ? 1 : 0);
  if (iSort == CDeviceColumnSet::kIP) {
    // Addresses compare as numbers, ties by arrival: the texts' numbers must not fall.
    bool bInOrder = true;
    uint32_t dwLast = 0;
    for (int i = 0; i < rows(); ++i) {
      uint32_t dwIP = 0;
      ParseAddress(window_driver::Cell(pList, i, CDeviceColumnSet::kIP).toStdString(), &dwIP);
      bInOrder = bInOrder && dwIP >= dwLast;
      dwLast = dwIP;
    }
    std::printf("order %s\n", bInOrder ? "ok" : "broken");
  }
  if (iSetAt >= 0) {
    int nRenamed = 0;
    for (int i = 0; i < rows(); ++i)
      nRenamed += window_driver::Cell(pList, i, 0) == QString::fromStdString(sSetName) ? 1 : 0;
    std::printf("renamed rows %d\n", nRenamed);
  }
  return 0;
}
