;;; eglot_client.el --- Emacs's eglot against corvale-lsp, in batch mode -*- lexical-binding: t -*-
;; The demo with three mistakes planted: its diagnostics through flymake, a
;; hover, a completion and a definition, each asked of the server as eglot
;; asks. Writes what it got to $CORVALE_LOG; exits 0 only when every check held.
(require 'eglot)
(require 'flymake)
(defvar corvale-log nil)
(defvar corvale-failed nil)
(defun corvale-note (text) (push text corvale-log))
(defun corvale-check (ok what)
  (corvale-note (concat (if ok "ok   " "FAIL ") what))
  (unless ok (setq corvale-failed t)))
(defun corvale-finish ()
  (with-temp-file (getenv "CORVALE_LOG")
    (insert (mapconcat #'identity (reverse corvale-log) "\n") "\n"))
  (kill-emacs (if corvale-failed 1 0)))
(defun corvale-wait (predicate seconds)
  "Lets the process and timers run until PREDICATE holds, at most SECONDS."
  (let ((deadline (+ (float-time) seconds)) (held nil))
    (while (and (not (setq held (funcall predicate))) (< (float-time) deadline))
      (accept-process-output nil 0.1))
    held))
(defun corvale-line-of (prefix)
  "The line (from 0) of the first line that begins with PREFIX."
  (save-excursion
    (goto-char (point-min))
    (if (re-search-forward (concat "^" (regexp-quote prefix)) nil t)
        (1- (line-number-at-pos))
      -1)))

(condition-case err
    (progn
      (add-to-list 'eglot-server-programs
                   `(tcl-mode . (,(getenv "CORVALE_LSP")
                                 :initializationOptions (:helpDir ,(getenv "CORVALE_HELP")))))
      (find-file (getenv "CORVALE_SCRIPT"))
      (tcl-mode)
      (apply #'eglot (eglot--guess-contact))
      (corvale-check (corvale-wait (lambda () (eglot-current-server)) 20) "eglot connected")
      (let* ((server (eglot-current-server))
             (typo (corvale-line-of "node 2 $bayWdth"))
             (texts nil)
             (diagnostic-at
              (lambda (line code)
                (cl-some (lambda (d)
                           (and (= (1- (line-number-at-pos (flymake-diagnostic-beg d))) line)
                                (string-match-p (regexp-quote (format "[%s]" code))
                                                (flymake-diagnostic-text d))))
                         (flymake-diagnostics)))))
        (corvale-check
         (corvale-wait (lambda () (flymake-start) (funcall diagnostic-at typo "run/error")) 30)
         "the dry run's diagnostics arrived")
        (dolist (d (flymake-diagnostics))
          (push (format "diagnostic %d %s" (line-number-at-pos (flymake-diagnostic-beg d))
                        (flymake-diagnostic-text d))
                texts))
        (mapc #'corvale-note (reverse texts))
        (corvale-check (funcall diagnostic-at (corvale-line-of "element Baem")
                                "usage/unknown-subcommand")
                       "the misspelt sub-command")
        (corvale-check (funcall diagnostic-at (corvale-line-of "element Beam 5 5 9")
                                "model/undefined-tag")
                       "the node that does not exist")
        (corvale-check (funcall diagnostic-at typo "run/error") "the typo in a variable")
        (let* ((uri (eglot--path-to-uri (buffer-file-name)))
               (at (lambda (line character)
                     (list :textDocument (list :uri uri)
                           :position (list :line line :character character))))
               (width-line (corvale-line-of "node 3 "))
               (width-column
                (save-excursion
                  (goto-char (point-min)) (forward-line width-line)
                  (+ 2 (- (search-forward "$bayWidth") (line-beginning-position) 9))))
               (hover (jsonrpc-request server :textDocument/hover
                                       (funcall at width-line width-column)))
               (hover-text (or (plist-get (plist-get hover :contents) :value) "")))
          (corvale-note (concat "hover " hover-text))
          (corvale-check (string-match-p "bayWidth = 6\\.0" hover-text)
                         "the hover over $bayWidth shows 6.0")
          (let* ((definition (jsonrpc-request server :textDocument/definition
                                              (funcall at (corvale-line-of "element Beam 4 4 5") 17)))
                 (location (if (vectorp definition) (aref definition 0) definition))
                 (line (plist-get (plist-get (plist-get location :range) :start) :line)))
            (corvale-note (format "definition %s" line))
            (corvale-check (equal line (corvale-line-of "node 5 "))
                           "go to definition of node 5 lands on its node line"))
          (goto-char (point-max))
          (insert "element ")
          (let* ((last (1- (line-number-at-pos)))
                 (labels nil))
            (corvale-check
             (corvale-wait
              (lambda ()
                (eglot--signal-textDocument/didChange)
                (let ((items (jsonrpc-request server :textDocument/completion
                                              (funcall at last 8))))
                  (setq labels (mapcar (lambda (item) (plist-get item :label))
                                       (if (vectorp items) items (plist-get items :items)))))
                (member "Beam" labels))
              10)
             "completion after element offers Beam")
            (corvale-note (concat "completion " (mapconcat #'identity labels " ")))))))
  (error (corvale-check nil (format "an error: %S" err))))
(corvale-finish)
;;; eglot_client.el ends here
