// Start-up figures for the benchmark: with PYLVEX_STARTUP_PROBE set, the
// program prints one line when its window has been painted for the first time
// ("pylvex-startup shown_ms=<ms since the process started> rss_kb=<resident>
// hwm_kb=<peak resident>"); with the value "quit" it then ends.
#pragma once

class QWidget;

void InstallStartupProbe(QWidget *window);
