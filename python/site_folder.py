"""Prints the folder, relative to PREFIX, where this interpreter finds a package installed under PREFIX.

    python3 site_folder.py PREFIX

The user site-packages when PREFIX is the user base (~/.local, or PYTHONUSERBASE); otherwise the site
folder under PREFIX that the interpreter searches, the nearest one (Debian's python3 searches
/usr/local/lib/python3.X/dist-packages for /usr/local). For a prefix it does not search, the folder of its
standard scheme (lib/python3.X/site-packages), which PYTHONPATH must then name. cmake --install asks it,
since only then is the prefix known (cmake --install --prefix).
"""

import os
import site
import sys
import sysconfig


def searched_folders():
    """The site folders this interpreter searches, the user's first."""
    folders = list(site.getsitepackages())
    if site.ENABLE_USER_SITE:
        folders.insert(0, site.getusersitepackages())
    return folders


def folder_for(prefix):
    prefix = os.path.realpath(prefix)
    under = []
    for folder in searched_folders():
        relative = os.path.relpath(os.path.realpath(folder), prefix)
        if relative != os.pardir and not relative.startswith(os.pardir + os.sep):
            under.append(relative)
    if under:
        # /usr holds /usr/local/lib/python3.X/dist-packages too, deeper than its own folders.
        return min(under, key=lambda relative: len(relative.split(os.sep)))
    standard = sysconfig.get_path("purelib", "posix_prefix", vars={"base": prefix, "platbase": prefix})
    return os.path.relpath(standard, prefix)


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__.strip().splitlines()[2].strip())
    print(folder_for(sys.argv[1]))
