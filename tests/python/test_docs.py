"""The docs name every public constant, type, field and function of the installed headers: a user of the
package needs nothing but the headers and docs/api.md."""

import pathlib
import re

SOURCE = pathlib.Path(__file__).resolve().parents[2]


def public_names(header):
    text = re.sub(r"//[^\n]*", "", header.read_text())
    # What follows "private:" up to the end of its class is no one's business but the class's.
    text = re.sub(r"private:.*?\n};", "};", text, flags=re.S)
    names = set(re.findall(r"\b(?:struct|class|enum(?: class)?)\s+(\w+)\b(?!\s*;)", text))
    for body in re.findall(r"\benum\b[^{;]*\{([^}]*)\}", text):
        names.update(re.findall(r"(?:^|,)\s*(\w+)", body))
    names.update(re.findall(r"\bconstexpr\b[^=;(]*?\b(\w+)\s*(?:\[[^\]]*\])?\s*=", text))
    names.update(re.findall(r"\binline\b[^(;=]*?\b(\w+)\(", text))
    for line in text.splitlines():
        field = re.match(r"\s+(?:const\s+)?[\w:<>,]+[\s*&]+(\w+)\s*(?:=[^;]*|\{\})?;\s*$", line)
        method = re.match(r"\s+(?:static\s+)?(?:const\s+)?[\w:<>]+[\s*&]+(\w+)\([^)]*\)\s*(?:const\s*)?[;{]", line)
        for match in (field, method):
            if match and match.group(1) not in ("return", "delete", "default"):
                names.add(match.group(1))
    return {name for name in names if not name.endswith("_") and name != "operator"}


def test_docs_api_names_every_public_name_of_the_headers():
    words = set(re.findall(r"\w+", (SOURCE / "docs" / "api.md").read_text()))
    missing = {
        f"{header.relative_to(SOURCE / 'include')}: {name}"
        for header in sorted((SOURCE / "include" / "rollbite").rglob("*.h"))
        for name in public_names(header)
        if name not in words
    }
    assert not missing, f"docs/api.md does not name {sorted(missing)}"
