#!/usr/bin/env python3
"""Prints how many test cases were skipped and, for each, its name and the reason it printed.

Usage: skipped-tests.py TITLE JUNIT.xml [TITLE JUNIT.xml ...]
Each JUNIT.xml is what `ctest --output-junit` wrote; a file that is missing (its build never
reached its tests) is reported as such rather than as no skips.
"""
import re
import sys
import xml.etree.ElementTree as ET


def reason(output: str) -> str:
    lines = [line.rstrip() for line in output.splitlines()]
    # GoogleTest: "<file>:<line>: Skipped", the message, then "[  SKIPPED ] <case>".
    for at, line in enumerate(lines):
        if re.search(r":\d+: Skipped$", line):
            message = []
            for text in lines[at + 1:]:
                if text.startswith("[  SKIPPED ]"):
                    break
                if text.strip():
                    message.append(text.strip())
            return " ".join(message) or "(no reason given)"
    # The end-to-end scripts: "SKIP (<name>): <reason>", status 77.
    for line in lines:
        if line.startswith("SKIP ("):
            return line.split(": ", 1)[-1]
    printed = [line.strip() for line in lines if line.strip()]
    return printed[-1] if printed else "(no output)"


def skipped(junit: str):
    for case in ET.parse(junit).getroot().iter("testcase"):
        if case.find("skipped") is None:
            continue
        output = case.findtext("system-out") or ""
        yield case.get("name"), reason(output)


def main(arguments) -> int:
    if len(arguments) % 2:
        print(__doc__, file=sys.stderr)
        return 2
    for title, junit in zip(arguments[::2], arguments[1::2]):
        try:
            cases = list(skipped(junit))
        except (OSError, ET.ParseError) as error:
            print(f"{title}: no test results ({error})")
            continue
        print(f"{title}: {len(cases)} test case{'' if len(cases) == 1 else 's'} skipped")
        for name, why in cases:
            print(f"    {name}: {why}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
