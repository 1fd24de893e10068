// The browsers' caches listed beside the IE cache's files: every entry of
// a readable cache whose name and last use pass becomes a row under its
// source's name.
#pragma once

#include <string>
#include <vector>

#include "caches/CacheSources.h"
#include "search/CacheScan.h"
#include "search/Job.h"
#include "search/ResultTable.h"

namespace morlind {

struct BrowserScanReport {
  std::vector<std::string> partlyRead;  // sources that could not be read whole
  std::vector<std::string> held;        // sources whose files the browser holds without sharing
};

// The current user's browser caches under the local application-data
// folder, each with the format its files are in; sqlCache reads Chromium's
// SQL caches.
FoundCaches FindBrowserCaches(Platform& platform, const CacheFormat& sqlCache);

// What the status line says after a search that found no IE cache folder
// (the message box says it when nothing at all was found), or sources it
// could not read whole or that the browser holds; empty when there is
// nothing to say.
std::string SearchNotes(bool noCacheFolder, const BrowserScanReport& report);

// Adds the rows of each source in order; source i is listed as source
// index i + 1 of the table, whose source names this sets ("IE" first).
// With a job, each row counts and a stop ends the reading.
BrowserScanReport ScanBrowserCaches(Platform& platform, const std::vector<CacheSource>& sources,
                                    const ScanFilter& filter, ResultTable& table, JobControl* job = nullptr);

}  // namespace morlind
