"""The section of docs/benchmarks.md on reading titles and lengths: the
reading of 10,000 files against its floor, the window meanwhile against the
window idle, and the restore and memory figures with titles."""
import os
import statistics

TITLE = "## Reading titles and lengths of 10,000 files"
SCAN_GOAL = 1.5
ROUND_TRIP_GOAL = 2.0
EDIT_GOAL_MS = 50
# "Not slowed", with room for a shared machine's noise.
PLAY_GOAL = 1.1
RESTORE_GOAL = 1.5
MEMORY_GOAL_B = 1024
FIND_GOAL_MS = 50


def median(values):
    return statistics.median(values) if values else float("nan")


def ratio(a, b):
    return a / b if b else float("nan")


def pair_ratios(numerators, denominators):
    return [ratio(n, d) for n, d in zip(numerators, denominators)]


def listed(values, form="%.0f"):
    return ", ".join(form % x for x in values) or "none"


def verdict(ok):
    return "pass" if ok else "MISS"


def section(v, runs, when, build, load_before, load_after, cpus):
    md = [TITLE + "\n"]
    scan, floor = runs.get("titles_scan_vireo_run", []), runs.get("scan_floor_plain_run", [])
    pairs = pair_ratios(scan, floor)
    scan_ratio = median(pairs)
    md.append("Measured %s with %s; load average before %s, after %s%s.\n"
              % (when, build, load_before, load_after,
                 " (above the machine's %d processors over the last minute: other work shared it, so every "
                 "figure here is noisier and slower than on a quiet machine)" % cpus
                 if max(float(load_before.split()[0]), float(load_after.split()[0])) > cpus else ""))
    md.append("| Figure | Vireo | Floor | Ratio | Goal | Result |")
    md.append("|---|---|---|---|---|---|")
    md.append("| Reading %s files in 100 folders until every length is known (ms; ratio: median of pairs) "
              "| %.0f | %.0f | %.2f | <= %.1fx floor | %s |"
              % ("{:,}".format(int(v.get("titles_entries", 0))), median(scan), median(floor), scan_ratio, SCAN_GOAL,
                 verdict(scan_ratio <= SCAN_GOAL)))
    for name, label in (("round_trip", "A round trip to the window while titles are read"),
                        ("edit", "An edit (Down, Up) on an entry in view while titles are read"),
                        ("play", "A double click plays another entry while titles are read")):
        busy, idle = median(runs.get("titles_busy_%s_median_run" % name, [])), \
            median(runs.get("titles_idle_%s_median_run" % name, []))
        busy95, idle95 = median(runs.get("titles_busy_%s_p95_run" % name, [])), \
            median(runs.get("titles_idle_%s_p95_run" % name, []))
        if name == "round_trip":
            goal, ok = "<= %.0fx idle" % ROUND_TRIP_GOAL, ratio(busy, idle) <= ROUND_TRIP_GOAL
        elif name == "edit":
            goal, ok = "< %d ms" % EDIT_GOAL_MS, busy < EDIT_GOAL_MS
        else:
            goal, ok = "not slowed: <= %.1fx idle" % PLAY_GOAL, ratio(busy, idle) <= PLAY_GOAL
        md.append("| %s, median (ms; floor: idle) | %.2f | %.2f | %.1f | %s | %s |"
                  % (label, busy, idle, ratio(busy, idle), goal, verdict(ok)))
        md.append("| %s, 95th percentile (ms; floor: idle) | %.2f | %.2f | %.1f | - | - |"
                  % (label, busy95, idle95, ratio(busy95, idle95)))
    ticks, idle_ticks = median(runs.get("titles_busy_time_changes_run", [])), \
        median(runs.get("titles_idle_time_changes_run", []))
    md.append("| The time display while entries play and titles are read (changes a second; floor: idle) "
              "| %.2f | %.2f | %.2f | - | - |" % (ticks, idle_ticks, ratio(ticks, idle_ticks)))
    restore, restore_floor = runs.get("kept_restore_vireo_run", []), runs.get("kept_restore_floor_run", [])
    if restore:
        r = median(pair_ratios(restore, restore_floor))
        md.append("| Restoring %s kept entries with titles, lengths, sizes and write times (ms; ratio: median of "
                  "pairs) | %.1f | %.1f | %.2f | <= %.1fx floor | %s |"
                  % ("{:,}".format(int(v["kept_restore_vireo_entries"])), median(restore), median(restore_floor), r,
                     RESTORE_GOAL, verdict(r <= RESTORE_GOAL)))
    if "memory_entries" in v:
        f = lambda key: float(v[key])  # noqa: E731
        per = (f("memory_vireo_full_ws") - f("memory_vireo_empty_ws")) / int(v["memory_entries"])
        fper = (f("memory_floor_full_ws") - f("memory_floor_empty_ws")) / int(v["memory_floor_entries"])
        read = v.get("memory_titles_read") == "1"
        md.append("| Memory per entry, %s entries, %s (bytes) | %.0f | %.0f | %.2f | < %d B | %s |"
                  % ("{:,}".format(int(v["memory_entries"])),
                     "every title read" if read else "NOT every title read in 3 minutes", per, fper, ratio(per, fper),
                     MEMORY_GOAL_B, verdict(per < MEMORY_GOAL_B and read)))
    for kind, paths in (("short", "paths kept by their short forms"), ("long", "paths kept whole")):
        if "find_%s_key_ms" % kind in v:
            key = float(v["find_%s_key_ms" % kind])
            md.append("| The find box over %s entries, %s: a key typed or erased, median (ms; worst %.1f of %s) "
                      "| %.2f | - | - | < %d ms | %s |"
                      % ("{:,}".format(int(v["find_%s_entries" % kind])), paths,
                         float(v["find_%s_key_max_ms" % kind]), v["find_%s_keys" % kind], key, FIND_GOAL_MS,
                         verdict(key < FIND_GOAL_MS)))
    md.append("")
    md.append("Each run, in turn: Vireo's reading %s ms; the floor's %s ms (pairs %s); the floor looking each "
              "file up first %s ms; the floor at the lowest thread priority %s ms. Vireo's start to its window "
              "with every entry, before the clock: %s ms. The line under the list at the end: \"%s\"; it changed "
              "%s times while the files were read (seen every 2 ms or so).\n"
              % (listed(scan), listed(floor), listed(pairs, "%.2f"), listed(runs.get("scan_floor_lookup_run", [])),
                 listed(runs.get("scan_floor_low_run", [])), listed(runs.get("titles_start_shown_run", [])),
                 v.get("titles_summary", "-"), listed(runs.get("titles_summary_changes_run", []))))
    if "find_short_key_ms" in v and "find_long_key_ms" in v:
        md.append("The find box, short and long paths (medians, ms): opening it (the queue indexed, every entry "
                  "listed) %.1f and %.1f; an entry removed while it is open %.1f and %.1f; the first key after an "
                  "entry came (which indexes it) %.1f and %.1f.\n"
                  % tuple(float(v["find_%s_%s" % (kind, name)]) for name in ("open_ms", "removal_ms",
                                                                              "key_after_append_ms")
                          for kind in ("short", "long")))
    md.append("The window, each run (during the reading / idle, medians and 95th percentiles, ms): round trips %s; "
              "edits %s; plays %s; round trips per run %s, edits %s, plays %s; the reading took %s ms with the window "
              "asked meanwhile.\n"
              % ("; ".join("%.2f / %.2f, %.2f / %.2f" % t for t in zip(
                  runs.get("titles_busy_round_trip_median_run", []), runs.get("titles_idle_round_trip_median_run", []),
                  runs.get("titles_busy_round_trip_p95_run", []), runs.get("titles_idle_round_trip_p95_run", []))),
                 "; ".join("%.1f / %.1f, %.1f / %.1f" % t for t in zip(
                     runs.get("titles_busy_edit_median_run", []), runs.get("titles_idle_edit_median_run", []),
                     runs.get("titles_busy_edit_p95_run", []), runs.get("titles_idle_edit_p95_run", []))),
                 "; ".join("%.0f / %.0f, %.0f / %.0f" % t for t in zip(
                     runs.get("titles_busy_play_median_run", []), runs.get("titles_idle_play_median_run", []),
                     runs.get("titles_busy_play_p95_run", []), runs.get("titles_idle_play_p95_run", []))),
                 listed(runs.get("titles_busy_round_trip_count_run", [])),
                 listed(runs.get("titles_busy_edit_count_run", [])), listed(runs.get("titles_busy_play_count_run", [])),
                 listed(runs.get("titles_busy_scan_run", []))))
    method = os.path.join(os.path.dirname(os.path.abspath(__file__)), "method_titles.md")
    md.append(open(method).read())
    return md


def replace_section(output, lines, title=TITLE):
    """The section in place of the one there, or before the method when there is none."""
    text = open(output).read() if os.path.exists(output) else "# Benchmarks\n"
    body = "\n".join(lines)
    start = text.find(title)
    if start >= 0:
        end = text.find("\n## ", start + len(title))
        text = text[:start] + body + ("\n" + text[end + 1:] if end >= 0 else "\n")
    else:
        anchor = text.find("## How each figure is measured")
        text = text[:anchor] + body + "\n" + text[anchor:] if anchor >= 0 else text + "\n" + body + "\n"
    with open(output, "w") as out:
        out.write(text)
