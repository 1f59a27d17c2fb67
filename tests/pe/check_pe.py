#!/usr/bin/env python3
"""Checks what shipped Windows programs hand to Windows, as a Windows 7 SP1
loader would see it: every imported DLL and function (against
windows-imports.txt), the OS and subsystem versions of the PE header, the large
address awareness of 32-bit programs, and the manifest's processor and
supportedOS entries.

usage: check_pe.py OBJDUMP IMPORT_LIST PROGRAM.exe...
"""
import re
import subprocess
import sys

# The DLLs that every Windows 7 SP1 has in System32 and that a program of this
# kind may import. api-ms-win-* sets, ucrtbase, shcore and the compiler's own
# DLLs are not among them.
WINDOWS_7_DLLS = {'kernel32.dll', 'user32.dll', 'gdi32.dll', 'comctl32.dll', 'comdlg32.dll',
                  'shell32.dll', 'shlwapi.dll', 'ole32.dll', 'oleaut32.dll', 'advapi32.dll',
                  'msvcrt.dll'}
# The NT version of each name the list may give; CRT and x64 are explained in
# the list's header (x64 is as old as 64-bit Windows, 5.2).
VERSIONS = {'2000': 5.0, 'XP': 5.1, 'x64': 5.2, 'Vista': 6.0, '7': 6.1, '8': 6.2, '8.1': 6.3, '10': 10.0,
            'CRT': None}
WINDOWS_7 = VERSIONS['7']
SUPPORTED_OS = {'Windows 7': '35138b9a-5d96-4fbd-8e2d-a2440225f93a',
                'Windows 8': '4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38',
                'Windows 8.1': '1f676c76-80e1-4239-95bb-83d0f6d0da78',
                'Windows 10 and 11': '8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a'}
PE_HEADER = {'MajorOSystemVersion': '6', 'MinorOSystemVersion': '1',
             'MajorSubsystemVersion': '6', 'MinorSubsystemVersion': '1'}


def read_list(path):
    entries = {}
    for number, line in enumerate(open(path, encoding='utf-8'), 1):
        fields = line.split('#', 1)[0].split()
        if not fields:
            continue
        if len(fields) != 3 or fields[2] not in VERSIONS:
            sys.exit(f'{path}:{number}: want "dll function version", version one of {list(VERSIONS)}')
        entries[(fields[0], fields[1])] = fields[2]
    return entries


def imports(dump):
    """(dll, function) pairs from objdump's import tables; ordinals as #N."""
    dll, listing = None, False
    for line in dump.splitlines():
        if line.startswith('\tDLL Name: '):
            dll, listing = line.split(': ', 1)[1].strip().lower(), False
        elif line.startswith('\tvma:'):
            listing = dll is not None
        elif listing and not line.strip():
            listing = False
        elif listing:
            fields = line.split()
            yield dll, fields[2] if len(fields) > 2 else '#' + fields[1]


def problems(program, dump, listed):
    data = open(program, 'rb').read()
    is_32_bit = 'file format pei-i386' in dump
    for dll, function in sorted(set(imports(dump))):
        version = listed.get((dll, function))
        if dll not in WINDOWS_7_DLLS:
            yield f'imports {dll}, which Windows 7 SP1 does not ship'
        elif version is None:
            yield f'imports {dll} {function}, missing from the list: add it with its documented version'
        elif (version == 'CRT') != (dll == 'msvcrt.dll'):
            yield f'imports {dll} {function}, listed as {version}: CRT is for msvcrt.dll alone'
        elif version != 'CRT' and VERSIONS[version] > WINDOWS_7:
            yield f'imports {dll} {function}, which came with Windows {version}: newer than Windows 7 SP1'
    for field, wanted in PE_HEADER.items():
        found = re.search(rf'^{field}\s+(\S+)', dump, re.M)
        if not found or found.group(1) != wanted:
            yield f'PE header {field} is {found and found.group(1)}, not {wanted}'
    if is_32_bit and 'large address aware' not in dump:
        yield 'a 32-bit program that is not large address aware'
    manifest = re.search(rb'<assembly\b.*?</assembly>', data, re.S)
    if not manifest:
        yield 'no manifest'
        return
    text = manifest.group(0).decode('utf-8')
    architecture = re.search(r'<assemblyIdentity[^>]*processorArchitecture="([^"]*)"', text)
    wanted = 'x86' if is_32_bit else 'amd64'
    if not architecture or architecture.group(1) != wanted:
        yield f'the manifest names processor {architecture and architecture.group(1)}, not {wanted}'
    for name, guid in SUPPORTED_OS.items():
        if f'<supportedOS Id="{{{guid}}}"/>' not in text:
            yield f'the manifest does not name {name} among supportedOS'
    if 'level="asInvoker"' not in text:
        yield 'the manifest does not ask for asInvoker'


def main():
    objdump, list_path, programs = sys.argv[1], sys.argv[2], sys.argv[3:]
    listed = read_list(list_path)
    failed = 0
    for program in programs:
        dump = subprocess.run([objdump, '-p', program], check=True, capture_output=True, text=True).stdout
        found = list(problems(program, dump, listed))
        for problem in found:
            print(f'FAIL: {program}: {problem}', file=sys.stderr)
        failed += bool(found)
    print(f'pe: {len(programs) - failed} passed, {failed} failed')
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main())
