#!/usr/bin/env python3
"""What shipped Windows programs hand the loader of Windows 7 SP1: each import (against windows-imports.txt),
the PE header's OS and subsystem versions, large address awareness in 32-bit programs, and the manifest.
usage: check_pe.py OBJDUMP IMPORT_LIST PROGRAM.exe..."""
import re
import subprocess
import sys

# What every Windows 7 SP1 has in System32; not api-ms-win-*, ucrtbase, shcore nor the compiler's DLLs.
WINDOWS_7_DLLS = {'kernel32', 'user32', 'gdi32', 'comctl32', 'comdlg32', 'shell32', 'shlwapi', 'ole32',
                  'oleaut32', 'advapi32', 'msvcrt'}
# NT version of each name the list may give (CRT and x64: see the list's header).
VERSIONS = {'2000': 5.0, 'XP': 5.1, 'x64': 5.2, 'Vista': 6.0, '7': 6.1, '8': 6.2, '8.1': 6.3, '10': 10.0, 'CRT': 0}
HEADER = ['MajorOSystemVersion 6', 'MinorOSystemVersion 1', 'MajorSubsystemVersion 6', 'MinorSubsystemVersion 1']
# supportedOS of Windows 7, 8, 8.1 and 10/11; the dialog program also wants common controls 6 and DPI awareness.
MANIFEST = ['level="asInvoker"'] + [f'<supportedOS Id="{{{guid}}}"/>' for guid in (
    '35138b9a-5d96-4fbd-8e2d-a2440225f93a', '4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38',
    '1f676c76-80e1-4239-95bb-83d0f6d0da78', '8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a')]
DIALOG_MANIFEST = ['name="Microsoft.Windows.Common-Controls" version="6.0.0.0"', '>true</dpiAware>']


def read_list(path):
    entries = {}
    for number, line in enumerate(open(path, encoding='utf-8'), 1):
        fields = line.split('#', 1)[0].split()
        if fields and (len(fields) != 3 or fields[2] not in VERSIONS):
            sys.exit(f'{path}:{number}: want "dll function version", version one of {list(VERSIONS)}')
        if fields:
            entries[fields[0], fields[1]] = fields[2]
    return entries


def imports(dump):
    """(dll, function) pairs from objdump's import tables; ordinals as #N."""
    for table in re.findall(r'^\tDLL Name: (\S+)\n\tvma:.*\n((?:\t.+\n)*)', dump, re.M):
        for entry in table[1].splitlines():
            fields = entry.split()
            yield table[0].lower(), fields[2] if len(fields) > 2 else '#' + fields[1]


def problems(program, dump, listed):
    for dll, function in sorted(set(imports(dump))):
        version = listed.get((dll, function))
        if dll.removesuffix('.dll') not in WINDOWS_7_DLLS:
            yield f'imports {dll}, which Windows 7 SP1 does not ship'
        elif version is None:
            yield f'imports {dll} {function}, missing from the list: add it with its documented version'
        elif (version == 'CRT') != (dll == 'msvcrt.dll') or VERSIONS[version] > VERSIONS['7']:
            yield f'imports {dll} {function}, listed as {version}: not for Windows 7 SP1'
    wanted_32 = 'file format pei-i386' in dump
    for field in HEADER + (['large address aware'] if wanted_32 else []):
        if not re.search(field.replace(' ', r'\s+') + r'\b', dump):
            yield f'the PE header lacks {field}'
    manifest = re.search(rb'<assembly\b.*?</assembly>', open(program, 'rb').read(), re.S)
    text = re.sub(r'\s+', ' ', manifest.group(0).decode()) if manifest else ''
    wanted = [f'processorArchitecture="{"x86" if wanted_32 else "amd64"}"'] + MANIFEST
    for item in wanted + (DIALOG_MANIFEST if program.endswith('Tessam.exe') else []):
        if item not in text:
            yield f'the manifest lacks {item}'


def main():
    objdump, listed, failed = sys.argv[1], read_list(sys.argv[2]), 0
    for program in sys.argv[3:]:
        dump = subprocess.run([objdump, '-p', program], check=True, capture_output=True, text=True).stdout
        found = list(problems(program, dump, listed))
        for problem in found:
            print(f'FAIL: {program}: {problem}', file=sys.stderr)
        failed += bool(found)
    print(f'pe: {len(sys.argv) - 3 - failed} passed, {failed} failed')
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main())
