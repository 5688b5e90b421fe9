-- Neovim's own LSP client against corvale-lsp, headless: the demo with three
-- mistakes planted; its diagnostics, a hover, a completion and a definition.
-- Neovim 0.7's API (Debian 12). Writes what it got to $CORVALE_LOG and ends
-- with status 0 only when every check held.
local log = {}
local failed = false
local function note(text) table.insert(log, text) end
local function check(ok, what)
  note((ok and "ok   " or "FAIL ") .. what)
  if not ok then failed = true end
end
local function finish()
  local f = io.open(os.getenv("CORVALE_LOG"), "w")
  f:write(table.concat(log, "\n") .. "\n")
  f:close()
  vim.cmd(failed and "cquit 1" or "qa!")
end

local script = os.getenv("CORVALE_SCRIPT")
vim.cmd("edit " .. vim.fn.fnameescape(script))
local buf = vim.api.nvim_get_current_buf()
local lines = vim.api.nvim_buf_get_lines(buf, 0, -1, false)
local function line_of(prefix)
  for i, line in ipairs(lines) do
    if line:sub(1, #prefix) == prefix then return i - 1 end
  end
  return -1
end

local client_id = vim.lsp.start_client({
  name = "corvale",
  cmd = { os.getenv("CORVALE_LSP") },
  root_dir = vim.fn.fnamemodify(script, ":h"),
  init_options = { helpDir = os.getenv("CORVALE_HELP") },
})
vim.lsp.buf_attach_client(buf, client_id)

local function code_of(d)
  if d.code ~= nil then return d.code end
  return d.user_data and d.user_data.lsp and d.user_data.lsp.code
end
local function has(line, code)
  for _, d in ipairs(vim.diagnostic.get(buf)) do
    if d.lnum == line and code_of(d) == code then return true end
  end
  return false
end
local typo = line_of("node 2 $bayWdth")
local arrived = vim.wait(30000, function() return has(typo, "run/error") end, 50)
for _, d in ipairs(vim.diagnostic.get(buf)) do
  note(string.format("diagnostic %d %s %s", d.lnum + 1, tostring(code_of(d)), d.message))
end
check(arrived, "the dry run's diagnostics arrived")
check(has(line_of("element Baem"), "usage/unknown-subcommand"), "the misspelt sub-command")
check(has(line_of("element Beam 5 5 9"), "model/undefined-tag"), "the node that does not exist")
check(has(typo, "run/error"), "the typo in a variable")

local client = vim.lsp.get_client_by_id(client_id)
local uri = vim.uri_from_bufnr(buf)
local function request(method, line, character)
  local answer = client.request_sync(method, {
    textDocument = { uri = uri }, position = { line = line, character = character },
  }, 10000, buf)
  return answer and answer.result
end

local widthLine = line_of("node 3 ")
local column = lines[widthLine + 1]:find("$bayWidth", 1, true) + 2
local hover = request("textDocument/hover", widthLine, column)
local hoverText = hover and hover.contents and hover.contents.value or ""
note("hover " .. hoverText)
check(hoverText:find("bayWidth = 6.0", 1, true) ~= nil, "the hover over $bayWidth shows 6.0")

local definition = request("textDocument/definition", line_of("element Beam 4 4 5"), 17)
if definition and definition[1] then definition = definition[1] end
local target = definition and definition.range and definition.range.start.line or -1
note("definition " .. tostring(target))
check(target == line_of("node 5 "), "go to definition of node 5 lands on its node line")

vim.api.nvim_buf_set_lines(buf, -1, -1, false, { "element " })
local last = vim.api.nvim_buf_line_count(buf) - 1
local labels = {}
local offered = vim.wait(10000, function()
  local items = request("textDocument/completion", last, 8) or {}
  if items.items then items = items.items end
  labels = {}
  for _, item in ipairs(items) do labels[item.label] = true end
  return labels["Beam"] ~= nil
end, 100)
note("completion " .. table.concat(vim.tbl_keys(labels), " "))
check(offered, "completion after element offers Beam")
finish()
