# SPDX-License-Identifier: GPL-3.0-or-later
"""One-line mutants of C++ source: each changes one operator, constant, condition or statement
of one line, and keeps every other line as it was, so line numbers stay true."""

import hashlib
import re
from dataclasses import dataclass


@dataclass(frozen=True)
class Mutant:
    path: str  # relative to the source tree
    line: int  # 1-based
    kind: str  # what changed, e.g. "== -> !="
    original: str
    mutated: str


TOKEN = re.compile(r"""
    (?P<number>0[xX][0-9a-fA-F']+[uUlLzZ]*|0[bB][01']+[uUlLzZ]*
              |\d[\d']*(?:\.\d*)?(?:[eE][+-]?\d+)?[uUlLzZfF]*)
  | (?P<name>[A-Za-z_]\w*)
  | (?P<op><=>|<<=|>>=|->\*|->|\+\+|--|<<|>>|<=|>=|==|!=|&&|\|\||\+=|-=|\*=|/=|%=|&=|\|=|\^=|::
          |[-+*/%<>=!&|^~?:;,.(){}\[\]])
  | (?P<other>\S)
""", re.X)

# Binary operators (spaced on both sides, as the code is formatted; templates, references,
# pointers and unary signs are not) and what each becomes.
SWAPS = {
    "==": ["!="], "!=": ["=="], "<": ["<="], "<=": ["<"], ">": [">="], ">=": [">"],
    "+": ["-"], "-": ["+"], "*": ["/"], "/": ["*"], "%": ["*"],
    "+=": ["-="], "-=": ["+="], "&&": ["||"], "||": ["&&"],
    "&": ["|"], "|": ["&"], "&=": ["|="], "|=": ["&="], "<<": [">>"], ">>": ["<<"],
}
STRING = "\x01"  # stands for each character of a literal or comment in the code text

# First words of lines that are not a statement one can drop.
NOT_DROPPABLE = {
    "return", "break", "continue", "goto", "case", "default", "using", "typedef", "namespace",
    "template", "class", "struct", "enum", "union", "friend", "static_assert", "public",
    "private", "protected", "extern", "co_return", "const", "constexpr", "consteval",
    "constinit", "static", "auto", "inline", "mutable", "volatile", "thread_local", "typename",
    "unsigned", "signed", "int", "long", "short", "char", "bool", "float", "double", "void",
    "Q_OBJECT", "Q_UNUSED", "explicit", "virtual", "operator", "if", "for", "while", "switch",
    "do", "else", "try", "catch",
}


@dataclass
class _Scan:
    """What the lines before have left open."""
    comment: bool = False   # inside /* */
    raw_end: str = ""       # inside a raw string, ended by this
    directive: bool = False  # a preprocessor line continued with a backslash


def code_text(line, scan):
    """`line` with literals and comments replaced, character for character, so positions in it
    are positions in the line. Updates `scan` for the next line."""
    out = []
    i = 0
    n = len(line)
    while i < n:
        if scan.comment:
            end = line.find("*/", i)
            stop = n if end < 0 else end + 2
            out.append(STRING * (stop - i))
            scan.comment = end < 0
            i = stop
        elif scan.raw_end:
            end = line.find(scan.raw_end, i)
            stop = n if end < 0 else end + len(scan.raw_end)
            out.append(STRING * (stop - i))
            if end >= 0:
                scan.raw_end = ""
            i = stop
        elif line.startswith("//", i):
            out.append(STRING * (n - i))
            i = n
        elif line.startswith("/*", i):
            scan.comment = True
        elif line[i] == '"' and re.search(r'(?:^|[^\w])(?:u8|[uUL])?R$', line[:i]):
            delimiter = re.match(r'"([^(\s]*)\(', line[i:])
            scan.raw_end = ")" + (delimiter.group(1) if delimiter else "") + '"'
            out.append(STRING)
            i += 1
        elif line[i] in "\"'" and not _digit_separator(line, i):
            quote = line[i]
            j = i + 1
            while j < n and line[j] != quote:
                j += 2 if line[j] == "\\" else 1
            stop = min(j + 1, n)
            out.append(STRING * (stop - i))
            i = stop
        else:
            out.append(line[i])
            i += 1
    return "".join(out)


def _digit_separator(line, i):
    """A ' inside a number (1'000), not a character literal."""
    word = re.search(r"\w+$", line[:i])
    return line[i] == "'" and word is not None and word.group(0)[0].isdigit()


def _tokens(code):
    return [(m.lastgroup, m.group(0), m.start(), m.end()) for m in TOKEN.finditer(code)]


def _spaced(code, start, end):
    return start > 0 and code[start - 1] == " " and end < len(code) and code[end] == " "


def _closing(code, open_at):
    """Index of the bracket that closes the one at `open_at`, or -1 on this line."""
    depth = 0
    for i in range(open_at, len(code)):
        depth += {"(": 1, "[": 1, ")": -1, "]": -1}.get(code[i], 0)
        if depth == 0:
            return i
    return -1


def _operator_mutants(line, code, tokens):
    for index, (group, text, start, end) in enumerate(tokens):
        if group != "op" or text not in SWAPS or not _spaced(code, start, end):
            continue
        before = tokens[index - 1] if index > 0 else None
        after = tokens[index + 1] if index + 1 < len(tokens) else None
        if before is None or after is None or before[1] in ("template", "operator"):
            continue
        # A literal next to + or << is text being joined or streamed.
        if STRING in (code[start - 2], code[end + 1:end + 2]) and text in ("+", "-", "<<", ">>"):
            continue
        if before[0] == "op" and before[1] not in (")", "]"):
            continue  # a sign or a dereference after another operator
        for new in SWAPS[text]:
            yield f"{text} -> {new}", line[:start] + new + line[end:]


def _integer(text):
    """(digits, suffix, value) of an integer literal; None for a floating one."""
    match = re.fullmatch(r"(0[xX][0-9a-fA-F']+|0[bB][01']+|[\d']+)([uUlLzZ]*)", text)
    if not match:
        return None
    plain = match.group(1).replace("'", "")
    if plain[:2] in ("0x", "0X", "0b", "0B"):
        value = int(plain, 0)
    else:
        value = int(plain, 8 if len(plain) > 1 and plain[0] == "0" else 10)
    return plain, match.group(2), value


def _shown_like(plain, value):
    """`value` written in the base and case of `plain`, as wide at least."""
    prefix = plain[:2]
    if prefix in ("0x", "0X"):
        digits = f"{value:0{len(plain) - 2}x}"
        return prefix + (digits.upper() if re.search("[A-F]", plain[2:]) else digits)
    if prefix in ("0b", "0B"):
        return prefix + f"{value:b}"
    if len(plain) > 1 and plain[0] == "0":
        return f"0{value:o}"
    return str(value)


def _number_mutants(line, tokens):
    for group, text, start, end in tokens:
        integer = _integer(text) if group == "number" else None
        if integer is None:
            continue
        plain, suffix, value = integer
        for new in (value + 1, value - 1):
            if new >= 0:
                shown = _shown_like(plain, new) + suffix
                yield f"{text} -> {shown}", line[:start] + shown + line[end:]


def _bool_mutants(line, tokens):
    for group, text, start, end in tokens:
        if group == "name" and text in ("true", "false"):
            new = "false" if text == "true" else "true"
            yield f"{text} -> {new}", line[:start] + new + line[end:]


def _if_condition(code, tokens):
    """(start, end) of the condition of an `if (...)` that closes on this line, past any
    initialiser; None when there is none."""
    for index, (group, text, start, _) in enumerate(tokens):
        if text != "if" or index + 1 >= len(tokens) or tokens[index + 1][1] != "(":
            continue
        open_at = tokens[index + 1][2]
        close_at = _closing(code, open_at)
        if close_at < 0:
            return None
        inner = code[open_at + 1:close_at]
        first = open_at + 1
        depth = 0
        for i, c in enumerate(inner):
            depth += {"(": 1, "[": 1, "{": 1, ")": -1, "]": -1, "}": -1}.get(c, 0)
            if c == ";" and depth == 0:
                first = open_at + 2 + i
        while first < close_at and code[first] == " ":
            first += 1
        if re.search(r"(?<![=!<>])=(?!=)", code[first:close_at]):
            return None  # a declaration or an assignment: `!(auto x = ...)` is no C++
        return first, close_at
    return None


def _negation_mutants(line, code, tokens):
    condition = _if_condition(code, tokens)
    if condition:
        first, close_at = condition
        yield "negated condition", f"{line[:first]}!({line[first:close_at]}){line[close_at:]}"


def _is_declaration(tokens):
    """`Type name ...`: a qualified name, template arguments, `const`, `*` and `&`, then a name."""
    i = 1 if tokens[0][1] == "::" else 0
    names = 0
    while i < len(tokens) and tokens[i][0] == "name":
        i += 1
        names += 1
        if i < len(tokens) and tokens[i][1] == "<" and tokens[i][2] == tokens[i - 1][3]:
            depth = 0
            while i < len(tokens):
                depth += {"<": 1, ">": -1, ">>": -2}.get(tokens[i][1], 0)
                i += 1
                if depth <= 0:
                    break
        if i < len(tokens) and tokens[i][1] == "::":
            i += 1
            continue
        break
    while i < len(tokens) and tokens[i][1] in ("const", "*", "&", "&&"):
        i += 1
    return names > 0 and i < len(tokens) and tokens[i][0] == "name" and tokens[0][1] not in (
        "delete", "throw")


def _whole_statement(code, tokens):
    stripped = code.strip()
    return (stripped.endswith(";") and not re.search(r"[{}]", stripped)
            and stripped.count("(") == stripped.count(")")
            and stripped.count("[") == stripped.count("]"))


def _statement_mutants(line, code, tokens, context):
    """A dropped statement; a dropped return (within an if). `{}` stands in for either, so an
    unbraced if keeps its body."""
    if not tokens or not _whole_statement(code, tokens) or not context.starts_statement:
        return
    indent = line[:len(line) - len(line.lstrip())]
    first = tokens[0][1]
    if first == "return":
        if context.in_if:
            yield "return dropped", indent + "{}"
        return
    if first in NOT_DROPPABLE or (tokens[0][0] != "name" and first not in ("*", "++", "--", "::")):
        return
    if _is_declaration(tokens):
        return
    yield "statement dropped", indent + "{}"


def _early_return_mutants(line, code, tokens):
    """`if (c) return x;` -> `if (c) {}`: the condition still runs, the return does not."""
    condition = _if_condition(code, tokens)
    if not condition:
        return
    rest = code[condition[1] + 1:]
    if re.fullmatch(r"\s*return\b[^;]*;\s*", rest):
        yield "return dropped", line[:condition[1] + 1] + " {}"


@dataclass
class _Context:
    starts_statement: bool  # in a function's body, after a statement's end or a block's start
    in_if: bool             # inside the braces of an if or else, or its unbraced body


FUNCTION_HEAD = re.compile(r"\)\s*((const|noexcept|override|final|mutable|&|&&)\s*)*$"
                           r"|\)\s*(const\s*)?(noexcept\s*)?->[^;{}()]*$")
IF_HEAD = re.compile(r"(\}\s*)?(else\b|if\b)")


class _Blocks:
    """What opened each brace still open, across lines: a class, namespace or initialiser
    ("scope"), a function's body or a block in it ("code"), an if or else ("if")."""

    def __init__(self):
        self.stack = []
        self.pending = ""  # the statement text since the last ; { or }
        self.previous = ""  # the last code line, stripped

    def context(self):
        previous = self.previous
        unbraced_if = bool(IF_HEAD.match(previous)) and previous.endswith(")")
        unbraced_if = unbraced_if or bool(re.fullmatch(r"(\}\s*)?else", previous))
        in_code = bool(self.stack) and self.stack[-1] in ("code", "if")
        starts = in_code and (previous[-1:] in (";", "{", "}", ":") or unbraced_if)
        return _Context(starts, in_code and (unbraced_if or self.stack[-1] == "if"))

    def _kind(self):
        opener = self.pending.strip()
        if self.stack and self.stack[-1] != "scope":
            return "if" if IF_HEAD.match(opener) else "code"
        # A function's body, or a lambda's in an initialiser; else a class, namespace or data.
        return "code" if FUNCTION_HEAD.search(opener) else "scope"

    def take(self, code):
        for c in code:
            if c == "{":
                self.stack.append(self._kind())
                self.pending = ""
            elif c == "}":
                if self.stack:
                    self.stack.pop()
                self.pending = "}"
            elif c == ";":
                self.pending = ""
            elif c != STRING:
                self.pending += c
        self.pending += " "
        stripped = code.replace(STRING, "").strip()
        if stripped:
            self.previous = stripped


def file_mutants(path, text, lines=None):
    """Every mutant of the file's `lines` (1-based numbers; all when None)."""
    scan = _Scan()
    blocks = _Blocks()
    found = []
    for number, line in enumerate(text.split("\n"), start=1):
        directive = scan.directive or line.lstrip().startswith("#")
        code = code_text(line, scan)
        scan.directive = directive and line.rstrip().endswith("\\")
        if directive:
            continue
        context = blocks.context()
        blocks.take(code)
        tokens = [t for t in _tokens(code) if STRING not in t[1]]
        if not tokens:
            continue
        if lines is not None and number not in lines:
            continue
        seen = set()
        for generator in (_operator_mutants(line, code, tokens), _number_mutants(line, tokens),
                          _bool_mutants(line, tokens), _negation_mutants(line, code, tokens),
                          _early_return_mutants(line, code, tokens),
                          _statement_mutants(line, code, tokens, context)):
            for kind, mutated in generator:
                if mutated != line and mutated not in seen:
                    seen.add(mutated)
                    found.append(Mutant(path, number, kind, line, mutated))
    return found


def _order(mutant):
    return hashlib.sha256(f"{mutant.path}\0{mutant.original}\0{mutant.mutated}".encode()).digest()


def sample(mutants, limit):
    """At most `limit` mutants, spread over the lines: first one of each line, then a second of
    each, and so on; where a round is more than fits, lines evenly spaced through it. The same
    mutants give the same choice on every run."""
    by_line = {}
    for mutant in mutants:
        by_line.setdefault((mutant.path, mutant.line), []).append(mutant)
    rounds = []
    for key in sorted(by_line):
        for depth, mutant in enumerate(sorted(by_line[key], key=_order)):
            if depth == len(rounds):
                rounds.append([])
            rounds[depth].append(mutant)
    chosen = []
    for round_ in rounds:
        room = limit - len(chosen)
        if room <= 0:
            break
        if len(round_) > room:
            round_ = [round_[i * len(round_) // room] for i in range(room)]
        chosen.extend(round_)
    return sorted(chosen, key=lambda m: (m.path, m.line, m.kind, m.mutated))
